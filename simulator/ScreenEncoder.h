#pragma once

#include "PanelFormat.h"

#include <QByteArray>

class PanelCanvas;

// Turns panel rows into screen blocks as a console decodes them:
//   monochrome band: kind, band n, 240 bytes (rows 8n..8n+7, 30 bytes a row,
//                    bit 0 the leftmost pixel, a set bit a dark pixel);
//   raw colour line: kind, line n, 320 pixel bytes;
//   run-length line: kind, run byte count L (little-endian), line n, runs of
//                    (count, even pixel, odd pixel) covering exactly 320 columns.

// Largest repeat count one run can carry.
constexpr int kMaxRunCount = 255;

// One block for unit `unit` of the canvas (band or line). `wireNumber` is the
// number written into the block; it differs from `unit` only when a fault
// mode sends a deliberately out-of-range number.
QByteArray EncodeScreenBlock(PanelFormat format, int layout, const PanelCanvas &canvas,
                             int unit, int wireNumber);
inline QByteArray EncodeScreenBlock(PanelFormat format, int layout, const PanelCanvas &canvas, int unit)
{
    return EncodeScreenBlock(format, layout, canvas, unit, unit);
}

// Appends the runs of a row of `width` pixels (an even number): equal
// neighbouring pixel pairs are merged, and runs longer than a count byte
// can hold are split.
void AppendPixelRuns(QByteArray &out, const quint8 *pixels, int width);

// Canvas rows that make up one unit: 8 rows a band, 1 row a line.
int UnitFirstRow(PanelFormat format, int unit);
int UnitRowCount(PanelFormat format);
