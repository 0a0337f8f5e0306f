#include "KeyLedger.h"

#include "KeyMessage.h"
#include "KprotChannel.h"

#include <algorithm>

void CKeyLedger::Send(CKprotChannel *channel, quint8 flags, quint8 code)
{
    DropGoneChannels();
    const quint8 key = quint8(flags & ~KF_BREAK);
    if (!(flags & KF_BREAK)) {
        if (!channel || IsDown(channel, key, code))
            return;
        // Noted before it is written: the write may run a message box whose
        // event loop lets go of this very key.
        m_held.push_back({channel, channel, key, code});
        Transmit(channel, key, code);
        return;
    }
    // The break goes where the make went; the keypad's own channel first,
    // should two controllers hold the same key.
    auto found = std::find_if(m_held.begin(), m_held.end(), [&](const Held &held) {
        return held.identity == channel && held.flags == key && held.code == code;
    });
    if (found == m_held.end()) {
        found = std::find_if(m_held.begin(), m_held.end(), [&](const Held &held) {
            return held.flags == key && held.code == code;
        });
    }
    if (found == m_held.end())
        return;
    CKprotChannel *target = found->channel;
    m_held.erase(found);
    Transmit(target, flags, code);
}

void CKeyLedger::ReleaseChannel(CKprotChannel *channel)
{
    DropGoneChannels();
    // Every entry leaves before the first break is written, so that a
    // release started from inside a write finds nothing left to send twice.
    std::vector<Held> released;
    auto kept = m_held.begin();
    for (Held &held : m_held) {
        if (!channel || held.identity == channel)
            released.push_back(held);
        else
            *kept++ = held;
    }
    m_held.erase(kept, m_held.end());
    for (const Held &held : released) {
        if (held.channel)
            Transmit(held.channel, quint8(held.flags | KF_BREAK), held.code);
    }
}

bool CKeyLedger::IsDown(const CKprotChannel *channel, quint8 flags, quint8 code) const
{
    const quint8 key = quint8(flags & ~KF_BREAK);
    return std::any_of(m_held.begin(), m_held.end(), [&](const Held &held) {
        return held.channel && held.identity == channel && held.flags == key && held.code == code;
    });
}

int CKeyLedger::DownCount(const CKprotChannel *channel) const
{
    return int(std::count_if(m_held.begin(), m_held.end(), [&](const Held &held) {
        return held.channel && held.identity == channel;
    }));
}

void CKeyLedger::Transmit(CKprotChannel *channel, quint8 flags, quint8 code)
{
    const char message[kKeyMessageSize] = {char(flags), char(code)};
    channel->SendBytes(message, kKeyMessageSize);
}

void CKeyLedger::DropGoneChannels()
{
    // A channel deleted without being let go of can take no more messages.
    m_held.erase(std::remove_if(m_held.begin(), m_held.end(),
                                [](const Held &held) { return !held.channel; }),
                 m_held.end());
}
