#include "PanelCanvas.h"

#include "BitmapFont.h"

#include <algorithm>
#include <cstring>

PanelCanvas::PanelCanvas(int width, int height, quint8 background)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)),
      m_pixels(m_width * m_height, char(background))
{
}

quint8 PanelCanvas::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return quint8(m_pixels.at(y * m_width + x));
}

const quint8 *PanelCanvas::Row(int y) const
{
    Q_ASSERT(y >= 0 && y < m_height);
    return reinterpret_cast<const quint8 *>(m_pixels.constData()) + y * m_width;
}

bool PanelCanvas::RowsEqual(const PanelCanvas &other, int firstRow, int rowCount) const
{
    if (other.m_width != m_width || other.m_height != m_height)
        return false;
    const int from = std::clamp(firstRow, 0, m_height);
    const int to = std::clamp(firstRow + rowCount, 0, m_height);
    if (to <= from)
        return true;
    return std::memcmp(m_pixels.constData() + from * m_width,
                       other.m_pixels.constData() + from * m_width,
                       size_t((to - from) * m_width)) == 0;
}

void PanelCanvas::SetPixel(int x, int y, quint8 value)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    m_pixels[y * m_width + x] = char(value);
}

void PanelCanvas::FillRect(int x, int y, int width, int height, quint8 value)
{
    const int left = std::max(x, 0);
    const int top = std::max(y, 0);
    const int right = std::min(x + width, m_width);
    const int bottom = std::min(y + height, m_height);
    if (left >= right)
        return;
    for (int row = top; row < bottom; ++row)
        std::memset(m_pixels.data() + row * m_width + left, value, size_t(right - left));
}

void PanelCanvas::DrawFrame(int x, int y, int width, int height, quint8 value)
{
    if (width <= 0 || height <= 0)
        return;
    FillRect(x, y, width, 1, value);
    FillRect(x, y + height - 1, width, 1, value);
    FillRect(x, y, 1, height, value);
    FillRect(x + width - 1, y, 1, height, value);
}

void PanelCanvas::DrawText(int x, int y, const QString &text, quint8 value)
{
    int cellX = x;
    for (QChar ch : text) {
        const quint8 *columns = GlyphColumns(ch);
        for (int column = 0; column < kGlyphWidth; ++column) {
            for (int row = 0; row < kGlyphHeight; ++row) {
                if (columns[column] & (1u << row))
                    SetPixel(cellX + column, y + row, value);
            }
        }
        cellX += kGlyphCellWidth;
        if (cellX >= m_width)
            break;
    }
}
