#include "PanelDecoder.h"

PanelDecoder::PanelDecoder() : m_image(240 * 320, '\0') {}

PanelDecoder::Result PanelDecoder::DecodeNext(QByteArray &stream, DecodedBlock *block)
{
    if (stream.isEmpty())
        return Result::NeedMore;
    const auto byte = [&stream](int i) { return int(quint8(stream.at(i))); };
    const int kind = byte(0);
    if (kind > 8)
        return Result::BadKind;
    const int available = stream.size() - 1;
    block->kind = kind;
    block->runBytes = 0;

    switch (kind % 3) {
    case 0: {
        if (available < 241)
            return Result::NeedMore;
        const int band = byte(1);
        block->number = band;
        if (band > 16)
            return Result::BadNumber;
        for (int j = 0; j < 240; ++j)
            m_image[(8 * band + j / 30) * 320 + j % 30] = stream.at(2 + j);
        block->size = 242;
        break;
    }
    case 1: {
        if (available < 321)
            return Result::NeedMore;
        const int line = byte(1);
        block->number = line;
        if (line > 239)
            return Result::BadNumber;
        for (int x = 0; x < 320; ++x)
            m_image[line * 320 + x] = stream.at(2 + x);
        block->size = 322;
        break;
    }
    default: {
        if (available < 2)
            return Result::NeedMore;
        const int length = byte(1) | (byte(2) << 8);
        if (available < length + 3)
            return Result::NeedMore;
        const int line = byte(3);
        block->number = line;
        block->runBytes = length;
        if (line > 239)
            return Result::BadNumber;
        if (length % 3 != 0)
            return Result::BadRuns;
        int column = 0;
        for (int at = 4; at < 4 + length; at += 3) {
            const int count = byte(at);
            if (count == 0 || column + 2 * count > 320)
                return Result::BadRuns;
            for (int i = 0; i < count; ++i) {
                m_image[line * 320 + column++] = stream.at(at + 1);
                m_image[line * 320 + column++] = stream.at(at + 2);
            }
        }
        if (column != 320)
            return Result::BadRuns;
        block->size = 4 + length;
        break;
    }
    }
    stream.remove(0, block->size);
    return Result::Block;
}
