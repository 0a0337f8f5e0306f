#pragma once

#include <QImage>
#include <QRgb>

class ScreenImage;

// The panel as the operator sees it: a 32-bit picture kept beside the
// screen image and brought up to date row by row, so that a repaint costs
// the rows that changed, not the blocks that were received.
class PanelPicture
{
public:
    static constexpr int kMonoWidth = 240;
    static constexpr int kMonoHeight = 128;
    static constexpr int kColourWidth = 320;
    static constexpr int kColourHeight = 240;

    PanelPicture();

    // Colour of a colour-panel pixel byte, read as 3-3-2 bits.
    static QRgb ColourOf(quint8 pixel);

    // Converts the rows the image marks as changed (every row after a
    // change of panel format) and clears the marks.
    void Update(ScreenImage &image);

    // The part of the picture that shows for the current panel format;
    // empty before the first block.
    QSize PanelSize() const;
    const QImage &Picture() const { return m_picture; }

private:
    void ConvertMonochromeRow(const ScreenImage &image, int y);
    void ConvertColourRow(const ScreenImage &image, int y);

    QImage m_picture;
    int m_displayMode = 0;
};
