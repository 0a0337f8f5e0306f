#include "PanelPicture.h"

#include "ScreenImage.h"

#include <cstring>

namespace {

// The controller's colour levels. Red and green are not an even ramp:
// level 5 is 198 and level 7 is 255.
constexpr int kRedGreenLevels[8] = {0, 36, 72, 108, 144, 198, 216, 255};
constexpr int kBlueLevels[4] = {0, 90, 198, 255};

constexpr QRgb kDark = 0xFF000000;  // a set monochrome bit
constexpr QRgb kLight = 0xFFFFFFFF; // a clear monochrome bit

// Shared by every screen window.
const QVector<QRgb> &ColourTable()
{
    static const QVector<QRgb> table = [] {
        QVector<QRgb> colours(256);
        for (int v = 0; v < 256; ++v)
            colours[v] = PanelPicture::ColourOf(quint8(v));
        return colours;
    }();
    return table;
}

const QVector<QRgb> &MonochromeTable()
{
    static const QVector<QRgb> table = {kLight, kDark};
    return table;
}

} // namespace

PanelPicture::PanelPicture()
    : m_bytes(new uchar[std::size_t(ScreenImage::kRows) * ScreenImage::kRowBytes]())
{
}

QRgb PanelPicture::ColourOf(quint8 pixel)
{
    return qRgb(kRedGreenLevels[pixel >> 5], kRedGreenLevels[(pixel >> 2) & 7], kBlueLevels[pixel & 3]);
}

QSize PanelPicture::PanelSize() const
{
    switch (m_displayMode) {
    case ScreenImage::Monochrome:
        return {kMonoWidth, kMonoHeight};
    case ScreenImage::RawColour:
    case ScreenImage::RunLengthColour:
        return {kColourWidth, kColourHeight};
    default:
        return {};
    }
}

void PanelPicture::Update(ScreenImage &image)
{
    const int mode = image.DisplayMode();
    const bool monochrome = mode == ScreenImage::Monochrome;
    const bool formatChanged = monochrome != (m_displayMode == ScreenImage::Monochrome)
        || m_displayMode == ScreenImage::NothingReceived;
    m_displayMode = mode;
    if (mode == ScreenImage::NothingReceived)
        return;
    if (formatChanged)
        WrapBytes(monochrome);

    const auto &changed = image.ChangedRows();
    const int rows = monochrome ? kMonoHeight : kColourHeight;
    for (int y = 0; y < rows; ++y) {
        if (formatChanged || changed.test(std::size_t(y)))
            std::memcpy(m_bytes.get() + y * ScreenImage::kRowBytes, image.Row(y), ScreenImage::kRowBytes);
    }
    image.ClearChangedRows();
}

void PanelPicture::WrapBytes(bool monochrome)
{
    // A monochrome row is 30 bytes of 8 pixels, bit 0 the leftmost. The
    // writable constructor: a read-only picture would copy the bytes as soon
    // as its colour table is set.
    if (monochrome) {
        m_picture = QImage(m_bytes.get(), kMonoWidth, kMonoHeight, ScreenImage::kRowBytes, QImage::Format_MonoLSB);
        m_picture.setColorTable(MonochromeTable());
    } else {
        m_picture = QImage(m_bytes.get(), kColourWidth, kColourHeight, ScreenImage::kRowBytes,
                           QImage::Format_Indexed8);
        m_picture.setColorTable(ColourTable());
    }
}
