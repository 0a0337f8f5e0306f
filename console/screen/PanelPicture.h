#pragma once

#include <QImage>
#include <QRgb>
#include <QVector>

class ScreenImage;

// The panel as the operator sees it: a picture that reads the screen
// image's own bytes through a colour table (one byte a pixel with the 3-3-2
// colour levels, or one bit a pixel for the monochrome panel), so a screen
// window keeps one copy of its panel, not a second 32-bit one beside it.
// Painting converts the pixels on the way to the screen.
class PanelPicture
{
public:
    static constexpr int kMonoWidth = 240;
    static constexpr int kMonoHeight = 128;
    static constexpr int kColourWidth = 320;
    static constexpr int kColourHeight = 240;

    PanelPicture() = default;

    // Colour of a colour-panel pixel byte, read as 3-3-2 bits.
    static QRgb ColourOf(quint8 pixel);

    // Follows the image's panel format and clears its changed-row marks.
    // The picture reads the image's bytes, so the image must outlive it.
    void Update(ScreenImage &image);

    // The part of the picture that shows for the current panel format;
    // empty before the first block.
    QSize PanelSize() const;
    const QImage &Picture() const { return m_picture; }

private:
    QImage m_picture;
    const ScreenImage *m_image = nullptr;
    int m_displayMode = 0;
};
