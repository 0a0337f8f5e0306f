// The screen stream a controller sends, fed to the block decoder in pieces
// of random size as the network delivers it. The first four bytes choose
// the cut; the rest is the stream.
#include "FuzzSupport.h"
#include "ScreenBlockParser.h"
#include "ScreenImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace FuzzSupport;
    QString lastStatus;
    ScreenBlockParser parser([&lastStatus](const QString &text) { lastStatus = text; });
    ScreenImage image;
    FeedInPieces(data, size, [&](QByteArray &buffer) {
        parser.Parse(buffer, image);

        // What stays behind is the start of one block still incomplete.
        if (!buffer.isEmpty()) {
            const int kind = quint8(buffer.at(0));
            if (kind > 8)
                Fail("a kind byte above 8 stayed at the front of the buffer");
            if (buffer.size() > ScreenBlockParser::kRunLengthHeaderSize + 0xFFFF)
                Fail("more than the longest block stayed in the buffer");
            QByteArray again = buffer;
            ScreenImage copy = image;
            if (parser.Parse(again, copy) || again != buffer)
                Fail("a second pass over the remainder decoded something");
        }
        if (image.DisplayMode() < 0 || image.DisplayMode() > 3)
            Fail("display mode out of range");
        if (image.KeyboardLayout() < 0 || image.KeyboardLayout() > 2)
            Fail("keyboard layout out of range");
    });
    return 0;
}
