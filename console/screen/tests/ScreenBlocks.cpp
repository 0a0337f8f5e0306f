#include "ScreenBlocks.h"

namespace ScreenBlocks {

QByteArray Band(int band, quint8 fill, int layout)
{
    QByteArray block;
    block.append(char(3 * layout));
    block.append(char(band));
    block.append(QByteArray(240, char(fill)));
    return block;
}

QByteArray RawLine(int line, quint8 fill, int layout)
{
    return RawLine(line, QByteArray(320, char(fill)), layout);
}

QByteArray RawLine(int line, const QByteArray &pixels, int layout)
{
    QByteArray block;
    block.append(char(1 + 3 * layout));
    block.append(char(line));
    block.append(pixels.left(320));
    return block;
}

QByteArray RunLengthLine(int line, const QByteArray &runs, int layout, int length)
{
    if (length < 0)
        length = runs.size();
    QByteArray block;
    block.append(char(2 + 3 * layout));
    block.append(char(length & 0xFF));
    block.append(char((length >> 8) & 0xFF));
    block.append(char(line));
    block.append(runs);
    return block;
}

QByteArray RunLengthFill(int line, quint8 a, quint8 b, int layout)
{
    // 160 pairs: one run of 255 and one of 65 (a count is one byte).
    QByteArray runs;
    runs.append(char(255)).append(char(a)).append(char(b));
    runs.append(char(65)).append(char(a)).append(char(b));
    return RunLengthLine(line, runs, layout);
}

} // namespace ScreenBlocks
