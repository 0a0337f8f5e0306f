#include "StreamWriter.h"

#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

StreamWriter::StreamWriter(QTcpSocket *socket, bool splitWrites, quint32 seed, QObject *parent)
    : QObject(parent), m_socket(socket), m_split(splitWrites), m_random(seed)
{
    connect(m_socket, &QTcpSocket::bytesWritten, this, &StreamWriter::OnBytesWritten);
}

void StreamWriter::Write(const QByteArray &bytes)
{
    if (m_closeWhenDone || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    if (!m_split) {
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

void StreamWriter::CloseWhenDone()
{
    m_closeWhenDone = true;
    if (m_pendingOffset == m_pending.size())
        m_socket->disconnectFromHost();
}

void StreamWriter::OnBytesWritten()
{
    if (m_split)
        ScheduleNextPiece();
    emit Drained();
}

void StreamWriter::ScheduleNextPiece()
{
    if (m_pieceScheduled)
        return;
    m_pieceScheduled = true;
    // A timer rather than a posted call: the event loop then also serves
    // the other sockets between two pieces, as a real controller would.
    QTimer::singleShot(0, this, &StreamWriter::WriteNextPiece);
}

int StreamWriter::NextPieceSize()
{
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
        if (m_closeWhenDone)
            m_socket->disconnectFromHost();
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
