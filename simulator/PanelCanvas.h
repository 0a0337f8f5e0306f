#pragma once

#include <QByteArray>
#include <QString>

// The controller's drawing surface: one byte a pixel, row by row. A colour
// panel stores its 3-3-2 pixel values; a monochrome panel stores 1 for a dark
// pixel and 0 for a light one, and is packed into bands only when sent.
// Every drawing call clips to the surface, so no caller can write outside it.
class PanelCanvas
{
public:
    PanelCanvas() = default;
    PanelCanvas(int width, int height, quint8 background = 0);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    quint8 At(int x, int y) const;
    const quint8 *Row(int y) const;
    bool RowsEqual(const PanelCanvas &other, int firstRow, int rowCount) const;

    void SetPixel(int x, int y, quint8 value);
    void FillRect(int x, int y, int width, int height, quint8 value);
    void DrawFrame(int x, int y, int width, int height, quint8 value);
    // Draws text in the built-in font with its top-left corner at (x, y);
    // only the glyph pixels are set, the background stays as it is.
    void DrawText(int x, int y, const QString &text, quint8 value);

private:
    int m_width = 0;
    int m_height = 0;
    QByteArray m_pixels;
};
