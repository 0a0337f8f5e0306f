#include "EventLog.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

QString IsoLocalTime(const QDateTime &time)
{
    QDateTime local = time.toLocalTime();
    local.setOffsetFromUtc(local.offsetFromUtc());
    return local.toString(Qt::ISODateWithMs);
}

bool EventLog::OpenFile(const QString &path, QString *error)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        *error = m_file.errorString();
        return false;
    }
    return true;
}

QJsonObject EventLog::ToJson(const Event &event)
{
    return QJsonObject{
        {QStringLiteral("seq"), double(event.sequence)},
        {QStringLiteral("time"), IsoLocalTime(event.time)},
        {QStringLiteral("address"), event.address},
        {QStringLiteral("from"), StateName(event.from)},
        {QStringLiteral("to"), StateName(event.to)},
        {QStringLiteral("reason"), event.reason},
    };
}

const EventLog::Event &EventLog::Append(const QString &address, LinkState from, LinkState to,
                                        const QString &reason)
{
    Event event;
    event.sequence = m_next++;
    event.time = QDateTime::currentDateTime();
    event.address = address;
    event.from = from;
    event.to = to;
    event.reason = reason;

    if (m_file.isOpen()) {
        m_file.write(QJsonDocument(ToJson(event)).toJson(QJsonDocument::Compact) + '\n');
        m_file.flush();
    }
    if (m_echo) {
        std::fprintf(stderr, "%s %s %s -> %s: %s\n", qPrintable(IsoLocalTime(event.time)),
                     qPrintable(address), qPrintable(StateName(from)), qPrintable(StateName(to)),
                     qPrintable(reason));
        std::fflush(stderr);
    }
    m_events.push_back(std::move(event));
    if (m_events.size() > std::size_t(kKeptEvents))
        m_events.pop_front();
    return m_events.back();
}

QJsonArray EventLog::After(quint64 after, int limit) const
{
    QJsonArray out;
    // Sequence numbers are consecutive, so the first wanted event is found
    // by arithmetic.
    std::size_t first = 0;
    if (!m_events.empty() && after >= m_events.front().sequence)
        first = std::size_t(after - m_events.front().sequence + 1);
    for (std::size_t i = first; i < m_events.size() && out.size() < limit; ++i)
        out.append(ToJson(m_events[i]));
    return out;
}
