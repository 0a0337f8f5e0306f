#include "ScreenEncoder.h"

#include "PanelCanvas.h"

namespace {

void AppendMonoBand(QByteArray &out, const PanelCanvas &canvas, int band)
{
    for (int row = band * kMonoBandRows; row < (band + 1) * kMonoBandRows; ++row) {
        for (int byteColumn = 0; byteColumn < kMonoRowBytes; ++byteColumn) {
            quint8 bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                if (canvas.At(byteColumn * 8 + bit, row) != 0)
                    bits |= quint8(1u << bit);
            }
            out.append(char(bits));
        }
    }
}

void AppendRawLine(QByteArray &out, const PanelCanvas &canvas, int line)
{
    if (line < canvas.Height() && canvas.Width() >= kColourWidth)
        out.append(reinterpret_cast<const char *>(canvas.Row(line)), kColourWidth);
    else
        out.append(QByteArray(kColourWidth, '\0'));
}

} // namespace

int UnitFirstRow(PanelFormat format, int unit)
{
    return format == PanelFormat::Mono ? unit * kMonoBandRows : unit;
}

int UnitRowCount(PanelFormat format)
{
    return format == PanelFormat::Mono ? kMonoBandRows : 1;
}

void AppendPixelRuns(QByteArray &out, const quint8 *pixels, int width)
{
    const int pairs = width / 2;
    int pair = 0;
    while (pair < pairs) {
        const quint8 even = pixels[2 * pair];
        const quint8 odd = pixels[2 * pair + 1];
        int count = 1;
        while (pair + count < pairs && count < kMaxRunCount
               && pixels[2 * (pair + count)] == even && pixels[2 * (pair + count) + 1] == odd)
            ++count;
        out.append(char(count));
        out.append(char(even));
        out.append(char(odd));
        pair += count;
    }
}

QByteArray EncodeScreenBlock(PanelFormat format, int layout, const PanelCanvas &canvas,
                             int unit, int wireNumber)
{
    QByteArray block;
    block.append(char(KindByte(format, layout)));
    switch (format) {
    case PanelFormat::Mono:
        block.reserve(2 + kMonoBandBytes);
        block.append(char(wireNumber));
        AppendMonoBand(block, canvas, unit);
        break;
    case PanelFormat::Raw:
        block.reserve(2 + kColourWidth);
        block.append(char(wireNumber));
        AppendRawLine(block, canvas, unit);
        break;
    case PanelFormat::Rle: {
        QByteArray runs;
        runs.reserve(3 * kColourWidth / 2);
        if (unit < canvas.Height() && canvas.Width() >= kColourWidth) {
            AppendPixelRuns(runs, canvas.Row(unit), kColourWidth);
        } else {
            const QByteArray blank(kColourWidth, '\0');
            AppendPixelRuns(runs, reinterpret_cast<const quint8 *>(blank.constData()), kColourWidth);
        }
        block.append(char(runs.size() & 0xFF));
        block.append(char((runs.size() >> 8) & 0xFF));
        block.append(char(wireNumber));
        block.append(runs);
        break;
    }
    }
    return block;
}
