#include "ScreenEncoder.h"

#include "PanelCanvas.h"

namespace {

void AppendMonoBand(QByteArray &out, const PanelCanvas &canvas, int band)
{
    const int start = out.size();
    out.resize(start + kMonoBandBytes);
    auto *bytes = reinterpret_cast<quint8 *>(out.data()) + start;
    for (int row = band * kMonoBandRows; row < (band + 1) * kMonoBandRows; ++row) {
        const bool inside = row < canvas.Height() && canvas.Width() >= kMonoWidth;
        const quint8 *pixels = inside ? canvas.Row(row) : nullptr;
        for (int byteColumn = 0; byteColumn < kMonoRowBytes; ++byteColumn) {
            quint8 bits = 0;
            for (int bit = 0; inside && bit < 8; ++bit)
                bits |= quint8(unsigned(pixels[byteColumn * 8 + bit] != 0) << bit);
            *bytes++ = bits;
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
    const int start = out.size();
    out.resize(start + 3 * pairs); // the most a row can take: one run a pair
    auto *runs = reinterpret_cast<quint8 *>(out.data()) + start;
    int used = 0;
    int pair = 0;
    while (pair < pairs) {
        const quint8 even = pixels[2 * pair];
        const quint8 odd = pixels[2 * pair + 1];
        int count = 1;
        while (pair + count < pairs && count < kMaxRunCount
               && pixels[2 * (pair + count)] == even && pixels[2 * (pair + count) + 1] == odd)
            ++count;
        runs[used++] = quint8(count);
        runs[used++] = even;
        runs[used++] = odd;
        pair += count;
    }
    out.resize(start + used);
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
