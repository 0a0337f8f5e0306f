#include "ScreenStreamModel.h"

namespace {

// The panel's colour levels: red and green from three bits, blue from two.
constexpr std::uint32_t kRedGreen[8] = {0, 36, 72, 108, 144, 198, 216, 255};
constexpr std::uint32_t kBlue[4] = {0, 90, 198, 255};

} // namespace

void ScreenStreamModel::Receive(const std::uint8_t *bytes, std::size_t count)
{
    m_waiting.insert(m_waiting.end(), bytes, bytes + count);
    while (DecodeFront()) {
    }
}

void ScreenStreamModel::Reject(const std::string &status)
{
    m_status = status;
    m_waiting.clear();
}

bool ScreenStreamModel::DecodeFront()
{
    if (m_waiting.empty())
        return false;
    const std::vector<std::uint8_t> &w = m_waiting;
    const int kind = w[0];
    if (kind > 8) {
        Reject("ERRORE blocco ricevuto");
        return false;
    }
    const int format = kind % 3;

    std::size_t whole = 0;
    int number = 0;
    int highest = 0;
    if (format == 0) {
        whole = 242;
        highest = 16;
    } else if (format == 1) {
        whole = 322;
        highest = 239;
    } else {
        if (w.size() < 3)
            return false;
        whole = 4 + (std::size_t(w[1]) + 256 * std::size_t(w[2]));
        highest = 239;
    }
    if (w.size() < whole)
        return false;
    number = format == 2 ? w[3] : w[1];
    if (number > highest) {
        Reject("ERRORE linea: " + std::to_string(number));
        return false;
    }

    m_status = "blocco linea: " + std::to_string(number);
    m_mode = format + 1;
    m_layout = kind / 3;
    if (format == 0) {
        // Pixel byte j of band n: row 8n + j / 30, byte column j % 30.
        for (int j = 0; j < 240; ++j)
            m_image[std::size_t(8 * number + j / 30) * kColumns + std::size_t(j % 30)] = w[std::size_t(2 + j)];
    } else if (format == 1) {
        for (int x = 0; x < kColumns; ++x)
            m_image[std::size_t(number) * kColumns + std::size_t(x)] = w[std::size_t(2 + x)];
    } else {
        PutRuns(number, 4, whole - 4);
    }
    m_waiting.erase(m_waiting.begin(), m_waiting.begin() + std::ptrdiff_t(whole));
    return true;
}

void ScreenStreamModel::PutRuns(int row, std::size_t firstRunByte, std::size_t runBytes)
{
    // Whole runs only, one pixel at a time; a controller that announces more
    // pixels than the row holds is cut at the last column, and trailing
    // bytes short of a run are skipped with the block.
    int column = 0;
    for (std::size_t run = 0; run + 3 <= runBytes; run += 3) {
        const std::uint8_t *r = m_waiting.data() + firstRunByte + run;
        for (int c = 0; c < r[0]; ++c) {
            for (int half = 1; half <= 2; ++half) {
                if (column < kColumns)
                    m_image[std::size_t(row) * kColumns + std::size_t(column)] = r[half];
                ++column;
            }
        }
    }
}

std::uint32_t ScreenStreamModel::ShownColour(int x, int y) const
{
    if (m_mode == 1) {
        // Eight pixels a byte, bit 0 the leftmost; a set bit is dark.
        const bool dark = (Byte(y, x / 8) >> (x % 8)) & 1;
        return dark ? 0xFF000000u : 0xFFFFFFFFu;
    }
    const std::uint8_t v = Byte(y, x);
    return 0xFF000000u | kRedGreen[v >> 5] << 16 | kRedGreen[(v >> 2) & 7] << 8 | kBlue[v & 3];
}

std::vector<std::uint32_t> ScreenStreamModel::ShownPanel(int *width, int *height) const
{
    *width = m_mode == 0 ? 0 : m_mode == 1 ? 240 : kColumns;
    *height = m_mode == 0 ? 0 : m_mode == 1 ? 128 : kRows;
    std::vector<std::uint32_t> panel(std::size_t(*width) * std::size_t(*height));
    std::uint32_t *pixel = panel.data();
    for (int y = 0; y < *height; ++y) {
        for (int x = 0; x < *width; ++x)
            *pixel++ = ShownColour(x, y);
    }
    return panel;
}
