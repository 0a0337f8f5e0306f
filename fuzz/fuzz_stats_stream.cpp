// The statistics stream a controller pushes, fed to the record decoder in
// pieces of random size; every decoded record is formatted for the window.
// The first four bytes choose the cut; the rest is the stream.
#include "FuzzSupport.h"
#include "StatisticsRecordParser.h"
#include "StatisticsTexts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace FuzzSupport;
    StatisticsRecordParser parser;
    FeedInPieces(data, size, [&](QByteArray &buffer) {
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
    });
    return 0;
}
