#pragma once

#include <QByteArray>
#include <QString>
#include <array>

// One statistics record as the statistics service pushes it: kind byte 0 and
// a 256-byte payload whose first 30 words are signed 32-bit little-endian
// values in this order; the rest of the payload stays zero.
enum class StatsField {
    ChipId,
    ChipRevision,
    RegArrFailed,
    RegIstRxOvrnInt,
    RegIstErcvInt,
    RegDataLength,
    RegDataStatus,
    RegEphsrSnglCol,
    RegEphsrMulCol,
    RegEphsrLtxMult,
    RegEphsr16Col,
    RegEphsrSqet,
    RegEphsrLtxBrd,
    RegEphsrTxDefr,
    RegEphsrWakeup,
    RegEphsrLatcol,
    RegEphsrLostCarr,
    RegEphsrExcDef,
    RegEphsrCtrRol,
    RegEphsrRxOvrn,
    RegEphsrTxUnrn,
    TxKbyte,
    TxPacked,
    RxKbyte,
    RxPacked,
    RxEthUnknown,
    RxIeee802Unknown,
    TxRetry,
    TxFineRetry,
    TxIpBusy,
    Count
};

constexpr int kStatsFieldCount = int(StatsField::Count);
constexpr int kStatsPayloadSize = 256;
constexpr int kStatsRecordSize = 1 + kStatsPayloadSize;

using StatsValues = std::array<qint32, kStatsFieldCount>;

constexpr int StatsFieldOffset(StatsField field) { return 4 * int(field); }

QByteArray EncodeStatisticsRecord(const StatsValues &values);

// The Ethernet chip models a console can name; empty for an unknown id.
QString ChipName(qint32 chipId);
