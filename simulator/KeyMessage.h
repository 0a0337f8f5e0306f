#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// Key flags of a two-byte key message (flags, code) from a console.
constexpr quint8 KF_BREAK = 0x01;   // key released; clear when pressed
constexpr quint8 KF_CTRL = 0x02;    // CTRL latch (FN on keypad layout 1)
constexpr quint8 KF_SHIFT = 0x04;   // SHIFT latch; the code is already shifted
constexpr quint8 KF_ALT = 0x08;     // ENT latch (layouts 0 and 1) or ALT (layout 2)
constexpr quint8 KF_SPECIAL = 0x10; // non-character key of keypad layout 0

// The console's request to resend every panel line.
constexpr quint8 kRefreshFlags = KF_SPECIAL;
constexpr quint8 kRefreshCode = 0x65;

inline bool IsRefreshRequest(quint8 flags, quint8 code)
{
    return flags == kRefreshFlags && code == kRefreshCode;
}

// Cuts the console's byte stream into two-byte key messages. An odd byte
// waits for its partner from the next read.
class KeyMessageAssembler
{
public:
    using Handler = std::function<void(quint8 flags, quint8 code)>;

    // Returns the number of complete messages handed to `handler`.
    int Feed(const QByteArray &bytes, const Handler &handler);
    bool HasPendingByte() const { return m_hasPending; }

private:
    quint8 m_pending = 0;
    bool m_hasPending = false;
};

// The keypad name of a key, as far as the codes tell: "F0", "RETURN", "q",
// "LUMACA". Codes 0xEB and 0xEC mean different keys on keypad layout 2.
QString KeyName(quint8 flags, quint8 code, int layout);
// A short line for the panel: latch, key name and make or break,
// for example "SHIFT+q make".
QString DescribeKeyMessage(quint8 flags, quint8 code, int layout);
