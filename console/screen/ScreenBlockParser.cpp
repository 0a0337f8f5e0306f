#include "ScreenBlockParser.h"

#include "ScreenImage.h"

#include <algorithm>
#include <cstring>

namespace {

enum Format { MonochromeBand = 0, RawColourLine = 1, RunLengthColourLine = 2 };

constexpr int kLastKind = 8;
constexpr int kBandRows = 8;
constexpr int kMonoRowBytes = 30;

// Fills rows 8n .. 8n + 7 from the 240 pixel bytes of band n, 30 bytes a row.
void DecodeBand(const quint8 *pixels, int band, ScreenImage &image)
{
    for (int r = 0; r < kBandRows; ++r) {
        const int y = band * kBandRows + r;
        std::memcpy(image.Row(y), pixels + r * kMonoRowBytes, kMonoRowBytes);
        image.MarkRowChanged(y);
    }
}

// Runs of (count, a, b) write the pair a, b count times along row y. Only
// the run bytes the block announced are read, whole runs only, and nothing
// is written past the last column: a block that does not fit the row is
// clipped, and the stream stays in step because the block always spans its
// announced length.
void DecodeRuns(const quint8 *runs, int length, int y, ScreenImage &image)
{
    quint8 *row = image.Row(y);
    int x = 0;
    for (int i = 0; i + 3 <= length && x < ScreenImage::kRowBytes; i += 3) {
        const int count = runs[i];
        const quint8 a = runs[i + 1];
        const quint8 b = runs[i + 2];
        const int pairs = qMin(count, (ScreenImage::kRowBytes - x) / 2);
        for (int c = 0; c < pairs; ++c) {
            row[x] = a;
            row[x + 1] = b;
            x += 2;
        }
        // Only an odd number of free columns leaves room for half a pair.
        if (pairs < count && x < ScreenImage::kRowBytes)
            row[x++] = a;
    }
    image.MarkRowChanged(y);
}

} // namespace

ScreenBlockParser::ScreenBlockParser(StatusSink status, BlockSink blocks)
    : m_status(std::move(status))
    , m_blocks(std::move(blocks))
{
}

QString ScreenBlockParser::BlockText(int number)
{
    return QStringLiteral("blocco linea: %1").arg(number);
}

void ScreenBlockParser::Status(const QString &text) const
{
    if (m_status)
        m_status(text);
}

void ScreenBlockParser::Reject(QByteArray &buffer, const QString &text) const
{
    Status(text);
    buffer.clear();
    if (m_observer)
        m_observer->OnStreamRejected();
}

bool ScreenBlockParser::Parse(QByteArray &buffer, ScreenImage &image)
{
    bool decoded = false;
    int used = 0; // bytes of the buffer consumed so far in this call
    int lastDecoded = 0; // number of the last block decoded

    const auto finish = [&]() {
        buffer.remove(0, used);
        // Only the last block's text would be seen.
        if (decoded && m_blocks)
            m_blocks(lastDecoded);
        return decoded;
    };

    while (used < buffer.size()) {
        const auto *front = reinterpret_cast<const quint8 *>(buffer.constData()) + used;
        const int available = buffer.size() - used - 1; // bytes after the kind byte
        const int kind = front[0];
        if (kind > kLastKind) {
            Reject(buffer, QStringLiteral("ERRORE blocco ricevuto"));
            return decoded;
        }
        const int format = kind % 3;

        int blockSize = 0;
        int number = 0;
        switch (format) {
        case MonochromeBand:
            blockSize = kMonoBlockSize;
            break;
        case RawColourLine:
            blockSize = kRawBlockSize;
            break;
        default:
            if (available < 2)
                return finish();
            blockSize = kRunLengthHeaderSize + (front[1] | (front[2] << 8));
            break;
        }
        if (available + 1 < blockSize)
            return finish();

        number = format == RunLengthColourLine ? front[3] : front[1];
        const int lastNumber = format == MonochromeBand ? kLastBand : kLastLine;
        if (number > lastNumber) {
            Reject(buffer, QStringLiteral("ERRORE linea: %1").arg(number));
            return decoded;
        }

        lastDecoded = number;
        if (!m_blocks && m_status)
            m_status(BlockText(number));
        image.SetFormat(format + 1, kind / 3);
        switch (format) {
        case MonochromeBand:
            DecodeBand(front + 2, number, image);
            break;
        case RawColourLine:
            std::memcpy(image.Row(number), front + 2, ScreenImage::kRowBytes);
            image.MarkRowChanged(number);
            break;
        default:
            DecodeRuns(front + kRunLengthHeaderSize, blockSize - kRunLengthHeaderSize, number, image);
            break;
        }
        used += blockSize;
        decoded = true;
        if (m_observer)
            m_observer->OnBlockDecoded(kind, number);
    }
    return finish();
}
