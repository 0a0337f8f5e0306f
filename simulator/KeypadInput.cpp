#include "KeypadInput.h"

#include "KeyMessage.h"

KeypadInput::Edit KeypadInput::EditFor(quint8 flags, quint8 code) const
{
    if (flags & KF_BREAK)
        return Edit::None;
    if (flags & KF_SPECIAL) {
        // Keypad layout 0 sends its editing keys as small special codes.
        switch (code) {
        case 0x02: return Edit::Backspace; // DEL
        case 0x05: return Edit::Enter;     // RETURN
        case 0x06: return Edit::Clear;     // ESC
        default: return Edit::None;
        }
    }
    // CTRL, FN, ENT and ALT turn a key into a machine command, not text.
    if (flags & (KF_CTRL | KF_ALT))
        return Edit::None;
    switch (code) {
    case 0x08:
    case 0x7F:
        return Edit::Backspace;
    case 0x0A:
    case 0x0D:
        return Edit::Enter;
    case 0x1B:
        return Edit::Clear;
    default:
        return (code >= 0x20 && code < 0x7F) ? Edit::Type : Edit::None;
    }
}

void KeypadInput::Apply(quint8 flags, quint8 code)
{
    ++m_messageCount;
    m_lastFlags = flags;
    m_lastCode = code;
    m_lastKey = DescribeKeyMessage(flags, code, m_layout);

    switch (EditFor(flags, code)) {
    case Edit::None:
        break;
    case Edit::Type:
        if (m_input.size() < kMaxInputLength)
            m_input.append(QLatin1Char(char(code)));
        break;
    case Edit::Backspace:
        m_input.chop(1);
        break;
    case Edit::Enter:
        m_entered = m_input;
        m_input.clear();
        break;
    case Edit::Clear:
        m_input.clear();
        break;
    }
}
