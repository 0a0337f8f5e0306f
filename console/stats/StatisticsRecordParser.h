#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <array>

// The part of a statistics record the console keeps: the first 120 bytes of
// the 256-byte payload as 30 signed 32-bit values (chip id and revision, the
// chip's status-register counters, the controller's Ethernet and TCP
// counters). The rest of the payload is reserved for the controller.
class StatisticsRecord
{
public:
    static constexpr int kKeptBytes = 120;
    static constexpr int kKeptValues = kKeptBytes / 4;

    // Reads the kept values from a payload of at least kKeptBytes bytes.
    static StatisticsRecord FromPayload(const char *payload);

    // The signed value at a payload offset (a multiple of 4 below 120).
    qint32 ValueAt(int offset) const { return m_values.at(std::size_t(offset / 4)); }

private:
    std::array<qint32, kKeptValues> m_values{};
};

// Decodes the statistics records standing at the front of the statistics
// channel's receive buffer. A record is the kind byte 0 and 256 payload
// bytes. Complete records are taken and removed, an incomplete one waits for
// the rest, and any other kind byte empties the buffer without a word: the
// controller pushes a fresh record every second, so dropping what came is
// the quickest way back into step.
class StatisticsRecordParser
{
public:
    static constexpr quint8 kRecordKind = 0;
    static constexpr int kPayloadSize = 256;
    static constexpr int kRecordSize = 1 + kPayloadSize;

    // Takes every complete record from the front of buffer; returns whether
    // at least one was decoded. The newest one is LastRecord().
    bool Parse(QByteArray &buffer);

    const StatisticsRecord &LastRecord() const { return m_last; }

private:
    StatisticsRecord m_last;
};
