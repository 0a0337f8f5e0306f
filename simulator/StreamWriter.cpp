#include "StreamWriter.h"

#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

#include <sys/socket.h>

StreamWriter::StreamWriter(QTcpSocket *socket, bool splitWrites, quint32 seed, QObject *parent)
    : QObject(parent), m_socket(socket), m_split(splitWrites), m_random(seed)
{
    connect(m_socket, &QTcpSocket::bytesWritten, this, &StreamWriter::OnBytesWritten);
}

void StreamWriter::SetTrickle(int delayMs)
{
    m_trickleMs = delayMs;
}

void StreamWriter::Write(const QByteArray &bytes)
{
    if (m_ending || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    if (!WritesInPieces()) {
        m_socket->write(bytes);
        return;
    }
    m_pending.append(bytes);
    ScheduleNextPiece();
}

qint64 StreamWriter::Queued() const
{
    return m_socket->bytesToWrite() + (m_pending.size() - m_pendingOffset);
}

void StreamWriter::EndWhenDone(Ending how)
{
    if (m_ending)
        return;
    m_ending = true;
    m_endingHow = how;
    EndIfDrained();
}

void StreamWriter::EndIfDrained()
{
    if (!m_ending || m_ended || m_pendingOffset != m_pending.size())
        return;
    if (m_endingHow == Ending::Close) {
        // The socket itself sends what it still holds before it closes.
        m_ended = true;
        m_socket->disconnectFromHost();
        return;
    }
    // A shutdown or a reset done behind the socket's back must wait until
    // the socket handed every byte to the system.
    if (m_socket->bytesToWrite() > 0 || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_ended = true;
    const int fd = int(m_socket->socketDescriptor());
    if (m_endingHow == Ending::HalfClose) {
        ::shutdown(fd, SHUT_WR);
        return;
    }
    // Closing with a zero linger time sends a reset instead of a FIN.
    const linger abortive{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    m_socket->abort();
}

void StreamWriter::OnBytesWritten()
{
    if (WritesInPieces())
        ScheduleNextPiece();
    else
        EndIfDrained();
    emit Drained();
}

void StreamWriter::ScheduleNextPiece()
{
    if (m_pieceScheduled)
        return;
    m_pieceScheduled = true;
    // A timer rather than a posted call: the event loop then also serves
    // the other sockets between two pieces, as a real controller would.
    QTimer::singleShot(std::max(m_trickleMs, 0), this, &StreamWriter::WriteNextPiece);
}

int StreamWriter::NextPieceSize()
{
    if (m_trickleMs >= 0)
        return 1;
    // A third of the pieces are single bytes; the rest range up to two
    // colour lines, so pieces also span unit borders.
    if (m_random.bounded(3u) == 0)
        return 1;
    return 1 + int(m_random.bounded(644u));
}

void StreamWriter::WriteNextPiece()
{
    m_pieceScheduled = false;
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    // One piece at a time: the next waits until the system took this one,
    // and bytesWritten brings us back here.
    if (m_socket->bytesToWrite() > 0)
        return;
    const int remaining = m_pending.size() - m_pendingOffset;
    if (remaining == 0) {
        EndIfDrained();
        return;
    }
    const int size = std::min(NextPieceSize(), remaining);
    m_socket->write(m_pending.constData() + m_pendingOffset, size);
    m_pendingOffset += size;
    // Drop written bytes now and then rather than moving the rest on every piece.
    if (m_pendingOffset == m_pending.size()) {
        m_pending.clear();
        m_pendingOffset = 0;
    } else if (m_pendingOffset >= 32 * 1024) {
        m_pending.remove(0, m_pendingOffset);
        m_pendingOffset = 0;
    }
    m_socket->flush();
    ScheduleNextPiece();
    if (m_pending.isEmpty())
        emit Drained();
}
