#include "StatisticsPayload.h"

#include <QtEndian>

namespace StatisticsPayload {

QByteArray Record(qint32 chipId, qint32 revision, qint32 base)
{
    QByteArray record(257, '\0');
    SetValue(record, 0, chipId);
    SetValue(record, 4, revision);
    for (int offset = 8; offset < 120; offset += 4)
        SetValue(record, offset, base + offset);
    return record;
}

void SetValue(QByteArray &record, int offset, qint32 value)
{
    qToLittleEndian<qint32>(value, record.data() + 1 + offset);
}

} // namespace StatisticsPayload
