#include "StatisticsRecord.h"

QByteArray EncodeStatisticsRecord(const StatsValues &values)
{
    QByteArray record(kStatsRecordSize, '\0');
    record[0] = 0; // the only kind of the statistics service
    for (int field = 0; field < kStatsFieldCount; ++field) {
        const quint32 word = quint32(values[size_t(field)]);
        const int at = 1 + 4 * field;
        for (int byte = 0; byte < 4; ++byte)
            record[at + byte] = char((word >> (8 * byte)) & 0xFF);
    }
    return record;
}

QString ChipName(qint32 chipId)
{
    switch (chipId) {
    case 3:
        return QStringLiteral("LAN91C90/92");
    case 4:
        return QStringLiteral("LAN91C94/96");
    case 5:
        return QStringLiteral("LAN91C95");
    case 7:
        return QStringLiteral("LAN91C100");
    case 8:
        return QStringLiteral("LAN91C100FD");
    case 9:
        return QStringLiteral("LAN91C110");
    default:
        return QString();
    }
}
