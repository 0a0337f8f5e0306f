#include "LinkState.h"

#include <QRandomGenerator>

#include <algorithm>

QString StateName(LinkState state)
{
    switch (state) {
    case LinkState::Online:
        return QStringLiteral("online");
    case LinkState::Silent:
        return QStringLiteral("silent");
    case LinkState::Closed:
        return QStringLiteral("closed");
    case LinkState::Error:
        return QStringLiteral("error");
    case LinkState::Unreachable:
        return QStringLiteral("unreachable");
    case LinkState::Reconnecting:
        break;
    }
    return QStringLiteral("reconnecting");
}

QString StateText(LinkState state, int seconds)
{
    switch (state) {
    case LinkState::Online:
        return QStringLiteral("in linea");
    case LinkState::Silent:
        return QStringLiteral("nessun dato da %1 s").arg(seconds);
    case LinkState::Closed:
        return QStringLiteral("chiuso");
    case LinkState::Error:
        return QStringLiteral("errore");
    case LinkState::Unreachable:
        return QStringLiteral("non collegato");
    case LinkState::Reconnecting:
        break;
    }
    return QStringLiteral("nuovo tentativo tra %1 s").arg(seconds);
}

ReconnectBackoff::ReconnectBackoff(QRandomGenerator *random)
    : m_random(random ? random : QRandomGenerator::global())
{
}

int ReconnectBackoff::NextWaitMs()
{
    const int spread = m_baseMs * kSpreadPercent / 100;
    const int wait = m_baseMs - spread + int(m_random->bounded(2 * spread + 1));
    m_baseMs = std::min(m_baseMs * 2, kLongestMs);
    return wait;
}

int ReconnectBackoff::StartOffsetMs()
{
    return int(m_random->bounded(kStartOffsetMs + 1));
}
