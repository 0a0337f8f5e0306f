#pragma once

#include <QtGlobal>

#include <array>
#include <bitset>

// What the console knows of one controller's display panel: the last image
// of every line, the panel format of the last accepted block and the keypad
// layout that block announced.
class ScreenImage
{
public:
    static constexpr int kRows = 240;
    static constexpr int kRowBytes = 320;

    // Panel formats, as the screen blocks announce them.
    enum DisplayMode : int {
        NothingReceived = 0,
        Monochrome = 1,      // 240 x 128, 8 pixels a byte, bit 0 leftmost
        RawColour = 2,       // 320 x 240, one byte a pixel, raw lines
        RunLengthColour = 3, // 320 x 240, one byte a pixel, run-length lines
    };

    ScreenImage();

    quint8 *Row(int y) { return m_bytes[y].data(); }
    const quint8 *Row(int y) const { return m_bytes[y].data(); }

    int DisplayMode() const { return m_displayMode; }
    int KeyboardLayout() const { return m_keyboardLayout; }
    void SetFormat(int displayMode, int keyboardLayout);

    // Rows written since the picture was last brought up to date.
    void MarkRowChanged(int y) { m_changedRows.set(std::size_t(y)); }
    const std::bitset<kRows> &ChangedRows() const { return m_changedRows; }
    void ClearChangedRows() { m_changedRows.reset(); }

private:
    std::array<std::array<quint8, kRowBytes>, kRows> m_bytes{};
    int m_displayMode = NothingReceived;
    int m_keyboardLayout = 0;
    std::bitset<kRows> m_changedRows;
};
