#pragma once

#include "StatisticsRecord.h"

#include <QRandomGenerator>

// The network counters of the simulated controller. Traffic counters follow
// what the services really send and receive; the chip's status-register
// counters are made up, growing slowly the way a busy floor LAN makes them.
class ControllerStatistics
{
public:
    ControllerStatistics(qint32 chipId, qint32 revision, quint32 seed);

    void CountSent(qint64 bytes, int packets);
    void CountReceived(qint64 bytes, int packets);
    // One second of background traffic and chip events.
    void AdvanceSecond();
    StatsValues Values() const;

private:
    void Bump(StatsField field, quint32 maxStep);

    StatsValues m_values{};
    qint64 m_txBytes = 0;
    qint64 m_rxBytes = 0;
    qint64 m_txPackets = 0;
    qint64 m_rxPackets = 0;
    QRandomGenerator m_random;
};
