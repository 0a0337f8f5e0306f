#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A second, deliberately plain reading of the controller's screen stream,
// written from the block formats alone and sharing no code with the
// console's parser, so that the fuzz target can hold the two against each
// other. Speed does not matter here; being obviously right does.
//
// Blocks: a kind byte 0..8 (kind mod 3 the format, kind div 3 the keypad
// layout), then
//   monochrome band:       n (0..16), 240 bytes of 8 pixels   (242 bytes)
//   raw colour line:       n (0..239), 320 pixel bytes        (322 bytes)
//   run-length colour line: L (u16 LE), n (0..239), L bytes of
//                           runs (count, a, b)                (L + 4 bytes)
// A kind above 8 or a number out of range throws away everything received
// and not yet decoded.
class ScreenStreamModel
{
public:
    static constexpr int kRows = 240;
    static constexpr int kColumns = 320;

    // One read from the socket: its bytes join what waits, then every
    // complete block at the front is decoded.
    void Receive(const std::uint8_t *bytes, std::size_t count);

    std::uint8_t Byte(int row, int column) const { return m_image[std::size_t(row) * kColumns + column]; }
    const std::uint8_t *Row(int row) const { return m_image.data() + std::size_t(row) * kColumns; }
    // Panel formats as the console numbers them: 0 nothing yet, 1
    // monochrome, 2 raw colour, 3 run-length colour.
    int Mode() const { return m_mode; }
    int Layout() const { return m_layout; }
    const std::string &Status() const { return m_status; }
    const std::vector<std::uint8_t> &Waiting() const { return m_waiting; }

    // The colour the operator sees at pixel (x, y) of the panel in the
    // current format, as 0xAARRGGBB.
    std::uint32_t ShownColour(int x, int y) const;
    // The whole panel in the current format, row after row (240 x 128
    // monochrome, 320 x 240 colour, nothing before the first block).
    std::vector<std::uint32_t> ShownPanel(int *width, int *height) const;

private:
    // Decodes the block at the front of m_waiting; false when it is not
    // complete yet or nothing waits.
    bool DecodeFront();
    void Reject(const std::string &status);
    void PutRuns(int row, std::size_t firstRunByte, std::size_t runBytes);

    std::vector<std::uint8_t> m_image = std::vector<std::uint8_t>(std::size_t(kRows) * kColumns, 0);
    std::vector<std::uint8_t> m_waiting;
    int m_mode = 0;
    int m_layout = 0;
    std::string m_status;
};
