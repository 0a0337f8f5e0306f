#include "ReplaySession.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace {

constexpr qint64 kReadChunk = 4096;
constexpr qint64 kReadBufferSize = 64 * 1024;
// A looping recording whose bytes all carry the same moment still waits
// this long between passes, so it cannot keep the event loop busy.
constexpr qint64 kMinimumPassMicros = 100 * 1000;

} // namespace

ReplaySession::ReplaySession(QTcpSocket *socket, const QString &recording, double speed, bool loop, QObject *parent)
    : QObject(parent),
      m_socket(socket),
      m_path(recording),
      m_speed(speed),
      m_loop(loop),
      m_peerName(QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort()))
{
    m_socket->setParent(this);
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket->setReadBufferSize(kReadBufferSize);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ReplaySession::SendDue);
    connect(m_socket, &QTcpSocket::readyRead, this, &ReplaySession::OnReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &ReplaySession::OnDisconnected);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &ReplaySession::ScheduleNext);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] {
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            OnDisconnected();
    });
}

bool ReplaySession::Start(QString *error)
{
    if (!m_reader.Open(m_path, error)) {
        m_socket->abort();
        return false;
    }
    m_clock.start();
    m_passStartMicros = 0;
    ReadAhead();
    ScheduleNext();
    return true;
}

// Takes the next record into m_next; at the end of the recording starts the
// next pass when looping.
bool ReplaySession::ReadAhead()
{
    m_haveNext = m_reader.Next(&m_next);
    if (m_haveNext)
        return true;
    if (m_reader.Failed()) {
        emit ReplayFailed(m_reader.Error());
        m_socket->disconnectFromHost();
        return false;
    }
    ++m_passes;
    if (!m_loop || !m_reader.Rewind())
        return false;
    const qint64 now = m_clock.nsecsElapsed() / 1000;
    m_passStartMicros = qMax(now, m_passStartMicros + kMinimumPassMicros);
    m_haveNext = m_reader.Next(&m_next);
    if (!m_haveNext && m_reader.Failed()) {
        emit ReplayFailed(m_reader.Error());
        m_socket->disconnectFromHost();
    }
    return m_haveNext;
}

qint64 ReplaySession::DueMicros(qint64 recordMicros) const
{
    // A record stamped very late, or replayed slowly, lies past what the
    // clock can count: it is held at a moment that never comes, short of
    // the counter's end so that the arithmetic on it stays in range.
    constexpr double kNever = 9.0e18;
    const double due = double(m_passStartMicros) + double(recordMicros) / m_speed;
    return due >= kNever ? qint64(kNever) : qint64(due);
}

void ReplaySession::ScheduleNext()
{
    if (m_finished || !m_haveNext || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    // A console that does not keep up gets the rest when its socket drains.
    if (m_socket->bytesToWrite() >= kHighWater)
        return;
    const qint64 due = DueMicros(m_next.micros);
    const qint64 now = m_clock.nsecsElapsed() / 1000;
    m_timer.start(int(qBound<qint64>(0, (due - now + 999) / 1000, 24LL * 3600 * 1000)));
}

void ReplaySession::SendDue()
{
    if (m_finished)
        return;
    const qint64 now = m_clock.nsecsElapsed() / 1000;
    qint64 sent = 0;
    int writes = 0;
    // Every record whose moment has come goes out in this pass.
    while (m_haveNext && m_socket->bytesToWrite() < kHighWater
           && DueMicros(m_next.micros) <= now) {
        m_socket->write(m_next.bytes);
        sent += m_next.bytes.size();
        ++writes;
        ReadAhead();
    }
    if (writes > 0)
        emit BytesSent(sent, writes);
    ScheduleNext();
}

void ReplaySession::OnReadyRead()
{
    qint64 total = 0;
    while (m_socket->bytesAvailable() > 0 && !m_finished) {
        const QByteArray bytes = m_socket->read(kReadChunk);
        if (bytes.isEmpty())
            break;
        total += bytes.size();
        m_keys.Feed(bytes, [this](quint8 flags, quint8 code) { emit KeyMessageReceived(flags, code); });
    }
    if (total > 0)
        emit BytesReceived(total);
}

void ReplaySession::OnDisconnected()
{
    if (m_finished)
        return;
    m_finished = true;
    m_timer.stop();
    emit Finished();
}
