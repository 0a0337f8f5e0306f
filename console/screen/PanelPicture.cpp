#include "PanelPicture.h"

#include "ScreenImage.h"

namespace {

// The controller's colour levels. Red and green are not an even ramp:
// level 5 is 198 and level 7 is 255.
constexpr int kRedGreenLevels[8] = {0, 36, 72, 108, 144, 198, 216, 255};
constexpr int kBlueLevels[4] = {0, 90, 198, 255};

constexpr QRgb kDark = 0xFF000000;  // a set monochrome bit
constexpr QRgb kLight = 0xFFFFFFFF; // a clear monochrome bit

} // namespace

PanelPicture::PanelPicture()
    : m_picture(kColourWidth, kColourHeight, QImage::Format_RGB32)
{
    m_picture.fill(kLight);
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

    const auto &changed = image.ChangedRows();
    const int rows = monochrome ? kMonoHeight : kColourHeight;
    for (int y = 0; y < rows; ++y) {
        if (!formatChanged && !changed.test(std::size_t(y)))
            continue;
        if (monochrome)
            ConvertMonochromeRow(image, y);
        else
            ConvertColourRow(image, y);
    }
    image.ClearChangedRows();
}

void PanelPicture::ConvertMonochromeRow(const ScreenImage &image, int y)
{
    const quint8 *bytes = image.Row(y);
    auto *out = reinterpret_cast<QRgb *>(m_picture.scanLine(y));
    for (int c = 0; c < kMonoWidth / 8; ++c) {
        const quint8 byte = bytes[c];
        for (int b = 0; b < 8; ++b)
            out[8 * c + b] = (byte >> b) & 1 ? kDark : kLight;
    }
}

void PanelPicture::ConvertColourRow(const ScreenImage &image, int y)
{
    const quint8 *bytes = image.Row(y);
    auto *out = reinterpret_cast<QRgb *>(m_picture.scanLine(y));
    for (int x = 0; x < kColourWidth; ++x)
        out[x] = ColourOf(bytes[x]);
}
