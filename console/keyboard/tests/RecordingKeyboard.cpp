#include "RecordingKeyboard.h"

RecordingKeyboard::RecordingKeyboard(int layout, CKeyStateSource *keys, QWidget *mainFrame)
    : CKeyboardDlg(KeyboardLayoutAt(layout), keys, mainFrame)
{
}

QByteArray RecordingKeyboard::TakeSent()
{
    QByteArray all;
    for (const Message &m : messages)
        all += m.bytes;
    messages.clear();
    return all;
}

QAbstractButton *RecordingKeyboard::Key(const char *name) const
{
    const auto &keys = GetLayout().keys;
    for (int i = 0; i < keys.size(); ++i) {
        if (qstrcmp(keys[i].name, name) == 0)
            return KeyButton(i);
    }
    return nullptr;
}

QAbstractButton *RecordingKeyboard::Latch(const char *name) const
{
    const auto &latches = GetLayout().latches;
    for (int i = 0; i < latches.size(); ++i) {
        if (qstrcmp(latches[i].name, name) == 0)
            return LatchButton(i);
    }
    return nullptr;
}

void RecordingKeyboard::SendKeyMessage(quint8 flags, quint8 code)
{
    messages.append({GetChannel(), KeyMessageBytes(flags, code)});
    if (afterSend)
        afterSend();
    // Within a keypad set the message goes on through its key ledger.
    if (HasKeyLedger())
        CKeyboardDlg::SendKeyMessage(flags, code);
}

bool FakeKeyState::TakeKeyHeldOrPressed(int virtualKey)
{
    const bool pressed = pressedSinceTake.remove(virtualKey);
    return pressed || held.contains(virtualKey);
}

void RecordingLedger::Transmit(CKprotChannel *channel, quint8 flags, quint8 code)
{
    wire.append({channel, KeyMessageBytes(flags, code)});
}

RecordingKeyboardSet::RecordingKeyboardSet(CKeyStateSource *keys)
    : CKeyboardSet(nullptr, std::make_unique<RecordingLedger>())
    , m_keys(keys)
{
}

QList<RecordingKeyboard::Message> &RecordingKeyboardSet::Wire() const
{
    return static_cast<RecordingLedger *>(KeyLedger())->wire;
}

RecordingKeyboard *RecordingKeyboardSet::Recording(int layout) const
{
    return static_cast<RecordingKeyboard *>(Keyboard(layout));
}

CKeyboardDlg *RecordingKeyboardSet::NewKeyboard(int layout)
{
    return new RecordingKeyboard(layout, m_keys, MainFrame());
}

QByteArray KeyMessageBytes(int flags, int code)
{
    QByteArray bytes;
    bytes.append(char(flags));
    bytes.append(char(code));
    return bytes;
}
