#pragma once

#include <QImage>
#include <QRgb>
#include <QVector>

#include <memory>

class ScreenImage;

// The panel as the operator sees it: the screen image's bytes as they stood
// at the last update, kept one byte a pixel and read through a colour table
// (the 3-3-2 colour levels, or one bit a pixel for the monochrome panel).
// An update copies the rows that changed, so a repaint costs the rows that
// changed, not the blocks that were received; painting converts the pixels
// on the way to the screen. A quarter of a 32-bit picture's memory, which
// counts with hundreds of screen windows.
class PanelPicture
{
public:
    static constexpr int kMonoWidth = 240;
    static constexpr int kMonoHeight = 128;
    static constexpr int kColourWidth = 320;
    static constexpr int kColourHeight = 240;

    PanelPicture();
    PanelPicture(const PanelPicture &) = delete;
    PanelPicture &operator=(const PanelPicture &) = delete;

    // Colour of a colour-panel pixel byte, read as 3-3-2 bits.
    static QRgb ColourOf(quint8 pixel);

    // Copies the rows the image marks as changed (every row after a change
    // of panel format) and clears the marks.
    void Update(ScreenImage &image);

    // The part of the picture that shows for the current panel format;
    // empty before the first block.
    QSize PanelSize() const;
    const QImage &Picture() const { return m_picture; }

private:
    void WrapBytes(bool monochrome);

    // The shown rows, 320 bytes apart in either format; the picture reads
    // them in place.
    std::unique_ptr<uchar[]> m_bytes;
    QImage m_picture;
    int m_displayMode = 0;
};
