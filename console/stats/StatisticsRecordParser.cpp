#include "StatisticsRecordParser.h"

#include <QtEndian>

StatisticsRecord StatisticsRecord::FromPayload(const char *payload)
{
    StatisticsRecord record;
    for (int i = 0; i < kKeptValues; ++i)
        record.m_values[std::size_t(i)] = qFromLittleEndian<qint32>(payload + 4 * i);
    return record;
}

bool StatisticsRecordParser::Parse(QByteArray &buffer)
{
    bool decoded = false;
    int used = 0;
    while (used < buffer.size()) {
        if (quint8(buffer.at(used)) != kRecordKind) {
            buffer.clear();
            return decoded;
        }
        if (buffer.size() - used < kRecordSize)
            break;
        m_last = StatisticsRecord::FromPayload(buffer.constData() + used + 1);
        used += kRecordSize;
        decoded = true;
    }
    // Removed in one go: a burst of records costs one move of the rest.
    buffer.remove(0, used);
    return decoded;
}
