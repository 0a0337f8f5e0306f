#include "KeyLedger.h"

#include "KeyMessage.h"
#include "KeysLog.h"
#include "KprotChannel.h"

#include <algorithm>

namespace {

// "make 0x04 0x51", as the controller reads the two bytes.
QString MessageText(quint8 flags, quint8 code)
{
    return QStringLiteral("%1 0x%2 0x%3")
        .arg(flags & KF_BREAK ? QLatin1String("break") : QLatin1String("make"))
        .arg(uint(flags), 2, 16, QLatin1Char('0'))
        .arg(uint(code), 2, 16, QLatin1Char('0'));
}

} // namespace

void CKeyLedger::Send(CKprotChannel *channel, quint8 flags, quint8 code)
{
    DropGoneChannels();
    const quint8 key = quint8(flags & ~KF_BREAK);
    if (!(flags & KF_BREAK)) {
        if (!channel) {
            qCDebug(lcKeys).noquote() << MessageText(flags, code) << "not sent: the keypad follows no screen window";
            return;
        }
        if (IsDown(channel, key, code)) {
            qCDebug(lcKeys).noquote() << MessageText(flags, code) << "not sent: the key is already down on"
                                      << channel->GetHost();
            return;
        }
        // Noted before it is written: the write may run a message box whose
        // event loop lets go of this very key.
        m_held.push_back({channel, channel, key, code});
        qCDebug(lcKeys).noquote() << MessageText(flags, code) << "to" << channel->GetHost();
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
    if (found == m_held.end()) {
        qCDebug(lcKeys).noquote() << MessageText(flags, code)
                                  << "not sent: no controller holds the key (let go of already, or made elsewhere)";
        return;
    }
    CKprotChannel *target = found->channel;
    m_held.erase(found);
    qCDebug(lcKeys).noquote() << MessageText(flags, code) << "to" << target->GetHost()
                              << (target == channel ? "" : "(the controller that got the make)");
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
        if (!held.channel)
            continue;
        qCDebug(lcKeys).noquote() << MessageText(quint8(held.flags | KF_BREAK), held.code) << "to"
                                  << held.channel->GetHost() << "(let go: typing into it stopped)";
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
    const auto gone = std::count_if(m_held.begin(), m_held.end(), [](const Held &held) { return !held.channel; });
    if (gone > 0)
        qCDebug(lcKeys) << gone << "keys down on a closed screen window are forgotten, no break sent";
    m_held.erase(std::remove_if(m_held.begin(), m_held.end(),
                                [](const Held &held) { return !held.channel; }),
                 m_held.end());
}
