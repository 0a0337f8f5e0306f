#pragma once

#include <QRect>

// The console's dialogs are laid out in dialog units of the 8 pt system
// dialog font, whose base units are 6 x 13 pixels at 96 dpi: a horizontal
// unit is a quarter of the average character width, a vertical unit an
// eighth of the character height. One fixed scale keeps every dialog in
// proportion whatever font the desktop uses.
constexpr double kDialogUnitX = 6.0 / 4.0;
constexpr double kDialogUnitY = 13.0 / 8.0;

constexpr int DluX(int units) { return int(units * kDialogUnitX + 0.5); }
constexpr int DluY(int units) { return int(units * kDialogUnitY + 0.5); }
inline QRect DluRect(int x, int y, int w, int h) { return QRect(DluX(x), DluY(y), DluX(w), DluY(h)); }
