#pragma once

#include <QChar>
#include <QtGlobal>

// A small built-in 5 x 7 font, so the controller draws its panel text
// without any font engine or display connection.
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kGlyphCellWidth = 6;  // one blank column between characters
constexpr int kGlyphCellHeight = 8;

// The five columns of a character, bit 0 the top row. Characters outside
// printable ASCII get a hollow box, so an unexpected code still shows.
const quint8 *GlyphColumns(QChar ch);
