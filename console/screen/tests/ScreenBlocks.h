#pragma once

#include <QByteArray>

// Screen blocks as a controller sends them, built for tests and benchmarks.
namespace ScreenBlocks {

// Monochrome band n with layout l: kind 3l, then n and 240 pixel bytes.
QByteArray Band(int band, quint8 fill, int layout = 0);
// Raw colour line n: kind 1 + 3l, then n and 320 pixel bytes.
QByteArray RawLine(int line, quint8 fill, int layout = 0);
QByteArray RawLine(int line, const QByteArray &pixels, int layout = 0);
// Run-length colour line n from explicit run bytes, with the length field
// as given (tests pass inconsistent lengths on purpose).
QByteArray RunLengthLine(int line, const QByteArray &runs, int layout = 0, int length = -1);
// Run-length colour line n that covers the row with the pair (a, b).
QByteArray RunLengthFill(int line, quint8 a, quint8 b, int layout = 0);

} // namespace ScreenBlocks
