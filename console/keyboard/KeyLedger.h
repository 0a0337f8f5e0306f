#pragma once

#include <QPointer>
#include <QtGlobal>

#include <vector>

class CKprotChannel;

// Which keys each controller has been told are down: one entry per make
// message sent and not yet broken, with the channel that carried it. Every
// key message of the keypads passes through here, so that
//   - a break goes to the controller that got the key's make, whatever
//     screen window the keypad follows by then;
//   - a controller never gets a second make for a key it holds down, nor a
//     break for a key it does not hold;
//   - whatever stops typing into a controller can let go of everything it
//     holds in one call.
// A key is told apart by its flags (without the break bit) and its code, as
// the controller tells them apart: Q, SHIFT+Q and CTRL+Q are three keys.
class CKeyLedger
{
    Q_DISABLE_COPY(CKeyLedger)

public:
    CKeyLedger() = default;
    virtual ~CKeyLedger() = default;

    // A make is noted and sent to the channel; a break is sent to the
    // channel that holds the key, or nowhere when none does.
    void Send(CKprotChannel *channel, quint8 flags, quint8 code);
    // Sends a break for every key the channel holds, in the order they were
    // made. With null, for every channel.
    void ReleaseChannel(CKprotChannel *channel);
    void ReleaseAll() { ReleaseChannel(nullptr); }

    bool IsDown(const CKprotChannel *channel, quint8 flags, quint8 code) const;
    int DownCount(const CKprotChannel *channel) const;

protected:
    // Writes one key message to the channel. Tests record here.
    virtual void Transmit(CKprotChannel *channel, quint8 flags, quint8 code);

private:
    struct Held
    {
        QPointer<CKprotChannel> channel;
        const CKprotChannel *identity; // kept to match a channel already gone
        quint8 flags;
        quint8 code;
    };
    void DropGoneChannels();

    std::vector<Held> m_held;
};
