#pragma once

#include <QByteArray>
#include <QRgb>
#include <QSize>
#include <QVector>

#include <bitset>

class ScreenImage;

// The units a controller sends its panel in: the 16 shown bands of a
// monochrome panel (8 rows of 240 pixels each) or the 240 lines of a colour
// one. A browser is sent the same units, as palette indices, one byte a
// pixel: 0 or 1 on the monochrome panel (white, black), the pixel byte
// itself on the colour panel (3-3-2 levels).
namespace PanelUnits {

constexpr int kMostUnits = 240;
using UnitSet = std::bitset<kMostUnits>;

enum class Family { None, Monochrome, Colour };

Family FamilyOf(int displayMode);
int UnitCount(Family family);
QSize PanelSize(Family family);
// Palette indices in one unit: 1920 for a band, 320 for a line.
int UnitIndexCount(Family family);
// The unit a decoded block went to, or -1 for one that never shows
// (monochrome band 16).
int UnitOfBlock(Family family, int number);
// The colours the console paints, indexed as the units are.
const QVector<QRgb> &Palette(Family family);

// Appends the palette indices of one unit, taken from the image as it
// stands, to out.
void AppendUnitIndices(const ScreenImage &image, Family family, int unit, QByteArray &out);

} // namespace PanelUnits
