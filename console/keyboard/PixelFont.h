#pragma once

// Two hand-drawn pixel fonts for key legends, legible at the 14-pixel key
// faces of the keypads where scaled system fonts blur: a 5 x 7 font for
// single characters and short legends, a 3 x 5 font for the rest.
struct PixelGlyph
{
    char character;
    const char *const *rows; // '#' marks a set pixel
};

struct PixelFont
{
    int height;
    int width(char c) const;
    const char *const *rows(char c) const;

    const PixelGlyph *glyphs;
    int glyphCount;
};

const PixelFont &LargePixelFont(); // 5 x 7
const PixelFont &SmallPixelFont(); // 3 x 5 (M, N, W wider)
