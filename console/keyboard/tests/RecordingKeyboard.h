#pragma once

#include "KeyEventFilter.h"
#include "KeyStateSource.h"
#include "KeyboardDlg.h"
#include "KeyboardSet.h"

#include <QByteArray>
#include <QList>
#include <QSet>

#include <functional>

// A keypad that records its key messages, with the channel each went to,
// instead of writing them to a socket.
class RecordingKeyboard : public CKeyboardDlg
{
    Q_OBJECT

public:
    struct Message
    {
        CKprotChannel *channel;
        QByteArray bytes;
    };

    explicit RecordingKeyboard(int layout, CKeyStateSource *keys, QWidget *mainFrame = nullptr);

    // Bytes sent since the last call, all messages joined.
    QByteArray TakeSent();
    QList<Message> messages;
    // Runs after each recorded message, as a failing send would run its box.
    std::function<void()> afterSend;

    // Finds a key or latch by its control text ("F0", "SHIFT", "FRECCIA SU").
    QAbstractButton *Key(const char *name) const;
    QAbstractButton *Latch(const char *name) const;

protected:
    void SendKeyMessage(quint8 flags, quint8 code) override;
};

// PC key state driven by the test, and the console's focus with it.
class FakeKeyState : public CKeyStateSource
{
public:
    bool HasFocusWindow() const override { return focus; }
    void BeginPass() override { ++passes; }
    bool IsKeyHeld(int virtualKey) const override { return held.contains(virtualKey); }
    bool TakeKeyHeldOrPressed(int virtualKey) override;

    bool focus = true;
    int passes = 0; // passes that read the keys
    QSet<int> held;
    QSet<int> pressedSinceTake;
};

// Physical keys held, by scan code, as the test says.
class FakeKeyMap : public CPhysicalKeyMap
{
public:
    bool Read() override { return readable; }
    bool IsDown(quint32 scanCode) const override { return down.contains(scanCode); }
    bool readable = true;
    QSet<quint32> down;
};

// The console's real key filter with the focus decided by the test, on key
// events alone or with a physical key map.
class TestKeyFilter : public CKeyEventFilter
{
public:
    explicit TestKeyFilter(std::unique_ptr<CPhysicalKeyMap> keyMap = nullptr)
        : CKeyEventFilter(std::move(keyMap))
    {
    }
    bool HasFocusWindow() const override { return focus; }
    bool focus = true;
};

// A key ledger that records what it would write, with the channel, instead
// of writing it.
class RecordingLedger : public CKeyLedger
{
public:
    QList<RecordingKeyboard::Message> wire;

protected:
    void Transmit(CKprotChannel *channel, quint8 flags, quint8 code) override;
};

// The application's keypad set making recording keypads over one key state;
// what reaches the channels is in Wire().
class RecordingKeyboardSet : public CKeyboardSet
{
public:
    explicit RecordingKeyboardSet(CKeyStateSource *keys);
    RecordingKeyboard *Recording(int layout) const;
    QList<RecordingKeyboard::Message> &Wire() const;

protected:
    CKeyboardDlg *NewKeyboard(int layout) override;

private:
    CKeyStateSource *m_keys;
};

// Two key-message bytes.
QByteArray KeyMessageBytes(int flags, int code);
