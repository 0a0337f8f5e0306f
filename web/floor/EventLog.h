#pragma once

#include "LinkState.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QString>

#include <deque>

// Every change of a controller's state, numbered from 1: the newest
// kKeptEvents in memory for the browsers, each also written as one line to
// standard error (journald keeps it) and, when a file is given, appended to
// it as one line of JSON.
// A moment as ISO 8601 local time with its offset from UTC, to the ms.
QString IsoLocalTime(const QDateTime &time);

class EventLog
{
    Q_DISABLE_COPY(EventLog)

public:
    static constexpr int kKeptEvents = 10000;

    struct Event
    {
        quint64 sequence = 0;
        QDateTime time;
        QString address;
        LinkState from = LinkState::Reconnecting;
        LinkState to = LinkState::Reconnecting;
        QString reason;
    };

    EventLog() = default;

    // Opens the file the events are appended to; false with the reason when
    // it cannot be written.
    bool OpenFile(const QString &path, QString *error);
    // Standard error stays quiet (the tests and benchmarks turn it off).
    void SetEchoToStandardError(bool echo) { m_echo = echo; }

    const Event &Append(const QString &address, LinkState from, LinkState to, const QString &reason);

    quint64 LastSequence() const { return m_next - 1; }
    // The kept events numbered above `after`, oldest first, at most `limit`.
    QJsonArray After(quint64 after, int limit = kKeptEvents) const;

    static QJsonObject ToJson(const Event &event);

private:
    std::deque<Event> m_events;
    quint64 m_next = 1;
    QFile m_file;
    bool m_echo = true;
};
