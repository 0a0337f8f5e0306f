#include "PanelUnits.h"

#include "PanelPicture.h"
#include "ScreenImage.h"

namespace PanelUnits {

namespace {

constexpr int kBands = 16;
constexpr int kRowsPerBand = 8;
constexpr int kMonoRowBytes = PanelPicture::kMonoWidth / 8;

} // namespace

Family FamilyOf(int displayMode)
{
    switch (displayMode) {
    case ScreenImage::Monochrome:
        return Family::Monochrome;
    case ScreenImage::RawColour:
    case ScreenImage::RunLengthColour:
        return Family::Colour;
    default:
        return Family::None;
    }
}

int UnitCount(Family family)
{
    switch (family) {
    case Family::Monochrome:
        return kBands;
    case Family::Colour:
        return PanelPicture::kColourHeight;
    case Family::None:
        break;
    }
    return 0;
}

QSize PanelSize(Family family)
{
    switch (family) {
    case Family::Monochrome:
        return {PanelPicture::kMonoWidth, PanelPicture::kMonoHeight};
    case Family::Colour:
        return {PanelPicture::kColourWidth, PanelPicture::kColourHeight};
    case Family::None:
        break;
    }
    return {};
}

int UnitIndexCount(Family family)
{
    switch (family) {
    case Family::Monochrome:
        return PanelPicture::kMonoWidth * kRowsPerBand;
    case Family::Colour:
        return PanelPicture::kColourWidth;
    case Family::None:
        break;
    }
    return 0;
}

int UnitOfBlock(Family family, int number)
{
    return number >= 0 && number < UnitCount(family) ? number : -1;
}

const QVector<QRgb> &Palette(Family family)
{
    static const QVector<QRgb> none;
    static const QVector<QRgb> monochrome = {qRgb(255, 255, 255), qRgb(0, 0, 0)};
    static const QVector<QRgb> colour = [] {
        QVector<QRgb> colours(256);
        for (int v = 0; v < 256; ++v)
            colours[v] = PanelPicture::ColourOf(quint8(v));
        return colours;
    }();
    switch (family) {
    case Family::Monochrome:
        return monochrome;
    case Family::Colour:
        return colour;
    case Family::None:
        break;
    }
    return none;
}

void AppendUnitIndices(const ScreenImage &image, Family family, int unit, QByteArray &out)
{
    if (unit < 0 || unit >= UnitCount(family))
        return;
    if (family == Family::Colour) {
        out.append(reinterpret_cast<const char *>(image.Row(unit)), PanelPicture::kColourWidth);
        return;
    }
    // Eight pixels a byte, bit 0 the leftmost, a set bit dark.
    const int start = out.size();
    out.resize(start + UnitIndexCount(family));
    char *index = out.data() + start;
    for (int row = unit * kRowsPerBand; row < (unit + 1) * kRowsPerBand; ++row) {
        const quint8 *bytes = image.Row(row);
        for (int column = 0; column < kMonoRowBytes; ++column)
            for (int bit = 0; bit < 8; ++bit)
                *index++ = char((bytes[column] >> bit) & 1);
    }
}

} // namespace PanelUnits
