#pragma once

#include <QByteArray>
#include <QtGlobal>

// Statistics records as a controller sends them, for the tests.
namespace StatisticsPayload {

// A whole record: kind byte 0 and 256 payload bytes holding the chip id and
// revision, every counter at offset o holding base + o, the rest zero.
QByteArray Record(qint32 chipId, qint32 revision, qint32 base);

// Overwrites the 32-bit little-endian value at a payload offset of a record.
void SetValue(QByteArray &record, int offset, qint32 value);

} // namespace StatisticsPayload
