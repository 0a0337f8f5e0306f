#include "ScreenSession.h"

#include "StreamWriter.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <algorithm>

namespace {

// Most bytes taken from a console per read, so a console that floods the
// controller with bytes cannot keep the event loop to itself.
constexpr qint64 kReadChunk = 4096;
// Bytes a console may have waiting in our socket object before the rest
// stays in the system's buffers.
constexpr qint64 kReadBufferSize = 64 * 1024;

} // namespace

ScreenSession::ScreenSession(QTcpSocket *socket, const ScreenUnitSource *source, const FaultSettings &faults,
                             bool splitWrites, bool flood, quint32 seed, QObject *parent)
    : QObject(parent),
      m_socket(socket),
      m_source(source),
      m_writer(new StreamWriter(socket, splitWrites, seed, this)),
      m_faults(faults, seed ^ 0x5A5A5A5Au),
      m_flood(flood),
      m_peerName(QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort())),
      m_dirty(source->UnitCount())
{
    m_socket->setParent(this);
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket->setReadBufferSize(kReadBufferSize);
    connect(m_socket, &QTcpSocket::readyRead, this, &ScreenSession::OnReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &ScreenSession::OnDisconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] {
        // Resets and broken pipes end the session like an orderly close.
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            OnDisconnected();
    });
    connect(m_writer, &StreamWriter::Drained, this, &ScreenSession::SchedulePump);
    MarkAllDirty();
}

void ScreenSession::SetTrickle(int delayMs)
{
    m_writer->SetTrickle(delayMs);
}

void ScreenSession::MarkAllDirty()
{
    m_dirty.fill(true);
    m_dirtyCount = m_dirty.size();
    m_cursor = 0;
    SchedulePump();
}

void ScreenSession::MarkDirty(const QBitArray &units)
{
    const int count = std::min(units.size(), m_dirty.size());
    for (int unit = 0; unit < count; ++unit) {
        if (units.testBit(unit) && !m_dirty.testBit(unit)) {
            m_dirty.setBit(unit);
            ++m_dirtyCount;
        }
    }
    if (m_dirtyCount > 0)
        SchedulePump();
}

void ScreenSession::SchedulePump()
{
    if (m_pumpScheduled || m_finished)
        return;
    m_pumpScheduled = true;
    QMetaObject::invokeMethod(this, &ScreenSession::Pump, Qt::QueuedConnection);
}

int ScreenSession::TakeNextDirtyUnit()
{
    if (m_dirtyCount == 0)
        return -1;
    // Units go out in order from where the last one left off, so a full
    // panel arrives top to bottom and a busy line cannot starve the others.
    const int size = m_dirty.size();
    for (int step = 0; step < size; ++step) {
        const int unit = (m_cursor + step) % size;
        if (m_dirty.testBit(unit)) {
            m_dirty.clearBit(unit);
            --m_dirtyCount;
            m_cursor = (unit + 1) % size;
            return unit;
        }
    }
    m_dirtyCount = 0;
    return -1;
}

void ScreenSession::Send(const QByteArray &bytes, int blocks)
{
    m_writer->Write(bytes);
    m_peakQueued = std::max(m_peakQueued, m_writer->Queued());
    emit BytesSent(bytes.size(), blocks);
}

bool ScreenSession::CommitDueFaults()
{
    for (;;) {
        switch (m_faults.Next(m_blocksSent)) {
        case ScreenFaults::Action::None:
            return true;
        case ScreenFaults::Action::InvalidKind: {
            const quint8 kind = m_faults.InvalidKindByte();
            Send(QByteArray(1, char(kind)), 0);
            emit FaultCommitted(QStringLiteral("invalid kind byte %1 after %2 blocks").arg(kind).arg(m_blocksSent));
            break;
        }
        case ScreenFaults::Action::BadLine: {
            const int number = m_source->InvalidUnitNumber();
            Send(m_source->EncodeUnit(0, number), 0);
            emit FaultCommitted(QStringLiteral("block numbered %1 after %2 blocks").arg(number).arg(m_blocksSent));
            break;
        }
        case ScreenFaults::Action::Close:
            m_closing = true;
            m_writer->EndWhenDone(StreamWriter::Ending::Close);
            emit FaultCommitted(QStringLiteral("closing after %1 blocks").arg(m_blocksSent));
            return false;
        case ScreenFaults::Action::Reset:
            m_closing = true;
            m_writer->EndWhenDone(StreamWriter::Ending::Reset);
            emit FaultCommitted(QStringLiteral("resetting after %1 blocks").arg(m_blocksSent));
            return false;
        case ScreenFaults::Action::HalfClose:
            // Nothing more goes out; key messages are still read and applied.
            m_closing = true;
            m_writer->EndWhenDone(StreamWriter::Ending::HalfClose);
            emit FaultCommitted(QStringLiteral("half-closing after %1 blocks").arg(m_blocksSent));
            return false;
        case ScreenFaults::Action::Stall:
            m_stalled = true;
            emit FaultCommitted(QStringLiteral("stalled after %1 blocks").arg(m_blocksSent));
            return false;
        }
    }
}

void ScreenSession::Pump()
{
    m_pumpScheduled = false;
    if (m_finished || m_closing || m_stalled || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    while (m_writer->Queued() < kHighWater) {
        if (!CommitDueFaults())
            return;
        int unit = TakeNextDirtyUnit();
        if (unit < 0 && m_flood) {
            emit WantsFloodStep();
            unit = TakeNextDirtyUnit();
        }
        if (unit < 0)
            return;
        Send(m_source->EncodeUnit(unit, unit), 1);
        ++m_blocksSent;
    }
}

void ScreenSession::OnReadyRead()
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

void ScreenSession::OnDisconnected()
{
    if (m_finished)
        return;
    m_finished = true;
    emit Finished();
}
