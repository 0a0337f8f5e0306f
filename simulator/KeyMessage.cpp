#include "KeyMessage.h"

namespace {

QString Hex(quint8 value)
{
    return QStringLiteral("0x%1").arg(value, 2, 16, QLatin1Char('0'));
}

// Non-character keys of keypad layout 0, sent with KF_SPECIAL.
QString SpecialKeyName(quint8 code)
{
    if (code >= 0x12 && code <= 0x1B)
        return QStringLiteral("F%1").arg(code - 0x12);
    switch (code) {
    case 0x02: return QStringLiteral("DEL");
    case 0x04: return QStringLiteral("TAB");
    case 0x05: return QStringLiteral("RETURN");
    case 0x06: return QStringLiteral("ESC");
    case 0x07: return QStringLiteral("FRECCIA SINISTRA");
    case 0x08: return QStringLiteral("FRECCIA DESTRA");
    case 0x09: return QStringLiteral("FRECCIA SU");
    case 0x0A: return QStringLiteral("FRECCIA GIU");
    case 0x0B: return QStringLiteral("HELP");
    case 0x0C: return QStringLiteral("FRECCETTONE SU");
    case 0x0D: return QStringLiteral("FRECCETTONE GIU");
    case 0x0E: return QStringLiteral("VALVOLA PARZ.");
    case 0x0F: return QStringLiteral("APRIAGO");
    case kRefreshCode: return QStringLiteral("REFRESH");
    default: return QStringLiteral("SPECIAL ") + Hex(code);
    }
}

QString PlainKeyName(quint8 code, int layout)
{
    if (code >= 0xF0 && code <= 0xF9)
        return QStringLiteral("F%1").arg(code - 0xF0);
    if (code > 0x20 && code < 0x7F)
        return QString(QLatin1Char(char(code)));
    switch (code) {
    case 0x09: return QStringLiteral("TAB");
    case 0x0D: return QStringLiteral("RETURN");
    case 0x1B: return QStringLiteral("ESC");
    case 0x20: return QStringLiteral("SPACE");
    case 0x7F: return QStringLiteral("DEL");
    case 0xE0: return QStringLiteral("FRECCIA SINISTRA");
    case 0xE1: return QStringLiteral("FRECCIA DESTRA");
    case 0xE2: return QStringLiteral("FRECCIA SU");
    case 0xE3: return QStringLiteral("FRECCIA GIU");
    case 0xE4: return QStringLiteral("HELP");
    case 0xE5: return QStringLiteral("FRECCETTONE SU");
    case 0xE6: return QStringLiteral("FRECCETTONE GIU");
    case 0xE7: return QStringLiteral("VALVOLA PARZ.");
    case 0xE8: return QStringLiteral("APRIAGO");
    case 0xEB: return layout == 2 ? QStringLiteral("LUMACA") : QStringLiteral("FRECCETTONE SU");
    case 0xEC: return layout == 2 ? QStringLiteral("TARTARUGA") : QStringLiteral("FRECCETTONE GIU");
    case 0xED: return QStringLiteral("LAMPADA");
    case 0xEE: return QStringLiteral("SOFFIO APRIAGO");
    case 0xEF: return QStringLiteral("VENTOLA");
    default: return QStringLiteral("CODE ") + Hex(code);
    }
}

QString LatchName(quint8 flags, int layout)
{
    if (flags & KF_SHIFT)
        return QStringLiteral("SHIFT");
    if (flags & KF_CTRL)
        return layout == 1 ? QStringLiteral("CTRL/FN") : QStringLiteral("CTRL");
    if (flags & KF_ALT)
        return layout == 2 ? QStringLiteral("ALT") : QStringLiteral("ENT");
    return QString();
}

} // namespace

int KeyMessageAssembler::Feed(const QByteArray &bytes, const Handler &handler)
{
    int messages = 0;
    for (char byte : bytes) {
        if (!m_hasPending) {
            m_pending = quint8(byte);
            m_hasPending = true;
            continue;
        }
        m_hasPending = false;
        ++messages;
        handler(m_pending, quint8(byte));
    }
    return messages;
}

QString KeyName(quint8 flags, quint8 code, int layout)
{
    return (flags & KF_SPECIAL) ? SpecialKeyName(code) : PlainKeyName(code, layout);
}

QString DescribeKeyMessage(quint8 flags, quint8 code, int layout)
{
    const QString latch = LatchName(flags, layout);
    const QString name = KeyName(flags, code, layout);
    const QString action = (flags & KF_BREAK) ? QStringLiteral(" break") : QStringLiteral(" make");
    if (latch.isEmpty())
        return name + action;
    return latch + QLatin1Char('+') + name + action;
}
