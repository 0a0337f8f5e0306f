// A channel list file, as the operator or another program wrote it: split
// into the addresses of the screen windows to open.
#include "ChannelListFile.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), int(size));
    const QStringList lines = SplitChannelListLines(content);
    // Every line end makes one line at most, and no line keeps its end.
    if (lines.size() > content.count('\n') + 1)
        FuzzSupport::Fail("more lines than line ends");
    for (const QString &line : lines) {
        if (line.contains(QLatin1Char('\n')))
            FuzzSupport::Fail("a line kept its line feed");
    }
    return 0;
}
