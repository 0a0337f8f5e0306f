#pragma once

#include "KeyboardLayout.h"

#include <QPixmap>

class QPalette;

// Draws the face of a key, latch or picture at its pixel size. Black, the
// greys and white are taken from the palette's button colours, so that the
// faces follow the desktop's button scheme as the controls around them do;
// the coloured faces keep their own colours.
QPixmap DrawKeyBitmap(const KeyBitmap &bitmap, const QPalette &palette);
