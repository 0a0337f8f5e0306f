// The statistics stream a controller pushes, fed to the record decoder in
// pieces of random size; every decoded record is formatted for the window.
// The first four bytes choose the cut; the rest is the stream.
#include "FuzzSupport.h"
#include "StatisticsRecordParser.h"
#include "StatisticsTexts.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace FuzzSupport;
    if (size < 4)
        return 0;
    uint32_t seed = 0;
    std::memcpy(&seed, data, 4);
    PieceCutter cutter(seed);
    const char *stream = reinterpret_cast<const char *>(data + 4);
    const int length = int(size - 4);

    StatisticsRecordParser parser;
    QByteArray buffer;
    for (int at = 0; at < length;) {
        const int piece = std::min(cutter.NextSize(), length - at);
        buffer.append(stream + at, piece);
        at += piece;
        if (parser.Parse(buffer)) {
            const QHash<int, QString> texts = StatisticsTexts::FormatStatistics(parser.LastRecord());
            // A record is shown whole (chip line and 28 counters) or not at all.
            if (!texts.isEmpty() && texts.size() != 29)
                Fail("a record was formatted in part");
        }
        if (buffer.size() >= StatisticsRecordParser::kRecordSize)
            Fail("a complete record stayed in the buffer");
        if (!buffer.isEmpty() && buffer.at(0) != 0)
            Fail("a record with another kind byte stayed in the buffer");
    }
    return 0;
}
