#pragma once

#include <QByteArray>
#include <QVector>

// An independent reading of the screen stream, written for the tests from
// the unit layouts alone, so the encoders are checked against a second view
// of the format rather than against themselves.
struct DecodedBlock
{
    int kind = -1;
    int number = -1;
    int size = 0;       // bytes the block took from the stream
    int runBytes = 0;   // run-length blocks: L as sent
};

class PanelDecoder
{
public:
    enum class Result { Block, NeedMore, BadKind, BadNumber, BadRuns };

    PanelDecoder();

    // Decodes the block at the front of `stream` into the image and removes
    // it. Bad blocks are reported and left in the stream.
    Result DecodeNext(QByteArray &stream, DecodedBlock *block);

    // The image as a console keeps it: 240 rows of 320 bytes. Monochrome
    // rows use bytes 0-29, eight pixels a byte, bit 0 the leftmost.
    quint8 At(int x, int y) const { return quint8(m_image.at(y * 320 + x)); }
    bool MonoPixel(int x, int y) const { return (At(x / 8, y) >> (x % 8)) & 1; }

private:
    QByteArray m_image;
};
