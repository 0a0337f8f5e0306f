#include "ControllerStatistics.h"

#include <algorithm>
#include <limits>

namespace {

qint32 Clamped(qint64 value)
{
    return qint32(std::min<qint64>(value, std::numeric_limits<qint32>::max()));
}

} // namespace

ControllerStatistics::ControllerStatistics(qint32 chipId, qint32 revision, quint32 seed)
    : m_random(seed)
{
    m_values[size_t(StatsField::ChipId)] = chipId;
    m_values[size_t(StatsField::ChipRevision)] = revision;
}

void ControllerStatistics::CountSent(qint64 bytes, int packets)
{
    m_txBytes += bytes;
    m_txPackets += packets;
}

void ControllerStatistics::CountReceived(qint64 bytes, int packets)
{
    m_rxBytes += bytes;
    m_rxPackets += packets;
}

void ControllerStatistics::Bump(StatsField field, quint32 maxStep)
{
    qint32 &value = m_values[size_t(field)];
    const quint32 step = m_random.bounded(maxStep + 1);
    if (value <= std::numeric_limits<qint32>::max() - qint32(step))
        value += qint32(step);
}

void ControllerStatistics::AdvanceSecond()
{
    // Broadcasts and ARP requests of the other machines on the floor.
    const int broadcasts = 1 + int(m_random.bounded(3u));
    CountReceived(64 * broadcasts, broadcasts);

    Bump(StatsField::RegEphsrSnglCol, 2);
    Bump(StatsField::RegEphsrTxDefr, 3);
    Bump(StatsField::RegEphsrLtxBrd, 1);
    if (m_random.bounded(4u) == 0)
        Bump(StatsField::RegEphsrMulCol, 1);
    if (m_random.bounded(10u) == 0)
        Bump(StatsField::RegIstErcvInt, 1);
    if (m_random.bounded(30u) == 0)
        Bump(StatsField::RegIstRxOvrnInt, 1);
    if (m_random.bounded(5u) == 0)
        Bump(StatsField::RxEthUnknown, 1);
    if (m_random.bounded(8u) == 0)
        Bump(StatsField::RxIeee802Unknown, 1);
    if (m_random.bounded(6u) == 0)
        Bump(StatsField::TxRetry, 1);
    if (m_random.bounded(20u) == 0)
        Bump(StatsField::TxFineRetry, 1);
    if (m_random.bounded(15u) == 0)
        Bump(StatsField::TxIpBusy, 1);

    // Length and status word of the last frame the chip received.
    m_values[size_t(StatsField::RegDataLength)] = qint32(64 + m_random.bounded(1451u));
    m_values[size_t(StatsField::RegDataStatus)] = m_random.bounded(16u) == 0 ? 0x2000 : 0;
}

StatsValues ControllerStatistics::Values() const
{
    StatsValues values = m_values;
    values[size_t(StatsField::TxKbyte)] = Clamped(m_txBytes / 1024);
    values[size_t(StatsField::TxPacked)] = Clamped(m_txPackets);
    values[size_t(StatsField::RxKbyte)] = Clamped(m_rxBytes / 1024);
    values[size_t(StatsField::RxPacked)] = Clamped(m_rxPackets);
    return values;
}
