#include "ChannelListFile.h"

QStringList SplitChannelListLines(const QByteArray &content)
{
    QStringList lines;
    int start = 0;
    while (start < content.size()) {
        const int newline = content.indexOf('\n', start);
        if (newline < 0) {
            // The last line has no line end of its own: nothing to remove.
            lines << QString::fromLocal8Bit(content.mid(start));
            break;
        }
        int end = newline;
        if (end > start && content.at(end - 1) == '\r')
            --end;
        lines << QString::fromLocal8Bit(content.mid(start, end - start));
        start = newline + 1;
    }
    return lines;
}
