#pragma once

#include "DialogUnits.h"

#include <QRect>

// The statistics window is laid out in dialog units, as the console's other
// dialogs are: the form holds pixel positions converted at one fixed scale,
// the units of the 8 pt dialog font at 96 dpi (base units 6 x 13 pixels, a
// horizontal unit a quarter and a vertical unit an eighth of them). The
// window's font is sized to match, so the texts fit their boxes.
// At this scale the window is 725 x 362 pixels.
namespace StatisticsLayout {

// Pixel height of the 8 pt dialog font at 96 dpi, and the smallest size the
// window falls back to when the desktop's font is wider than that one.
constexpr int kFontPixelSize = 11;
constexpr int kSmallestFontPixelSize = 8;

// The window's size in dialog units.
constexpr int kWidthUnits = 483;
constexpr int kHeightUnits = 223;

constexpr int UnitsToPixelsX(int units) { return DluX(units); }
constexpr int UnitsToPixelsY(int units) { return DluY(units); }
inline QRect UnitsToPixels(int x, int y, int w, int h) { return DluRect(x, y, w, h); }

} // namespace StatisticsLayout
