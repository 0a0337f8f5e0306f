#pragma once

#include <QString>

// How a controller streams its display panel: a monochrome 240 x 128 panel
// band by band, or a colour 320 x 240 panel line by line, raw or run-length.
// The numeric values are the format part of a screen block's kind byte.
enum class PanelFormat { Mono = 0, Raw = 1, Rle = 2 };

// Geometry of the two panels and of their units.
constexpr int kMonoWidth = 240;
constexpr int kMonoVisibleHeight = 128;
constexpr int kMonoBandCount = 17;            // band 16 is accepted by consoles but never shown
constexpr int kMonoBandRows = 8;
constexpr int kMonoRowBytes = kMonoWidth / 8; // 30 bytes, 8 pixels each
constexpr int kMonoBandBytes = kMonoBandRows * kMonoRowBytes;
constexpr int kColourWidth = 320;
constexpr int kColourHeight = 240;
constexpr int kKeypadLayoutCount = 3;
constexpr int kHighestKind = 8;

// The kind byte announces format and keypad layout together: format + 3 x layout.
constexpr quint8 KindByte(PanelFormat format, int layout)
{
    return quint8(int(format) + 3 * layout);
}

// Units of a full panel: 17 bands in monochrome, 240 lines in colour.
int UnitCount(PanelFormat format);
// The first band or line number a console rejects for this format.
int FirstInvalidUnitNumber(PanelFormat format);

QString FormatName(PanelFormat format);
bool ParseFormatName(const QString &name, PanelFormat *format);
