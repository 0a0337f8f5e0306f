#include "PixelFont.h"

#include <cstring>

namespace {

const char *const kLarge0[] = {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"};
const char *const kLarge1[] = {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."};
const char *const kLarge2[] = {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."};
const char *const kLarge3[] = {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."};
const char *const kLarge4[] = {"#####", "#....", "#....", "####.", "#....", "#....", "#####"};
const char *const kLarge5[] = {"#####", "#....", "#....", "####.", "#....", "#....", "#...."};
const char *const kLarge6[] = {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"};
const char *const kLarge7[] = {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"};
const char *const kLarge8[] = {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."};
const char *const kLarge9[] = {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."};
const char *const kLarge10[] = {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"};
const char *const kLarge11[] = {"#....", "#....", "#....", "#....", "#....", "#....", "#####"};
const char *const kLarge12[] = {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"};
const char *const kLarge13[] = {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"};
const char *const kLarge14[] = {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."};
const char *const kLarge15[] = {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."};
const char *const kLarge16[] = {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"};
const char *const kLarge17[] = {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"};
const char *const kLarge18[] = {".####", "#....", "#....", ".###.", "....#", "....#", "####."};
const char *const kLarge19[] = {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."};
const char *const kLarge20[] = {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."};
const char *const kLarge21[] = {"#...#", "#...#", "#...#", ".#.#.", ".#.#.", ".#.#.", "..#.."};
const char *const kLarge22[] = {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."};
const char *const kLarge23[] = {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"};
const char *const kLarge24[] = {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."};
const char *const kLarge25[] = {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"};
const char *const kLarge26[] = {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."};
const char *const kLarge27[] = {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."};
const char *const kLarge28[] = {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"};
const char *const kLarge29[] = {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."};
const char *const kLarge30[] = {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."};
const char *const kLarge31[] = {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."};
const char *const kLarge32[] = {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."};
const char *const kLarge33[] = {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."};
const char *const kLarge34[] = {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."};
const char *const kLarge35[] = {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."};
const char *const kLarge36[] = {".....", ".....", "#####", ".....", "#####", ".....", "....."};
const char *const kLarge37[] = {"...", ".##", ".##", "...", ".##", "..#", ".#."};
const char *const kLarge38[] = {"..", "##", "##", "..", "##", "##", ".."};
const char *const kLarge39[] = {"..", "..", "..", "..", "..", "##", "##"};
const char *const kLarge40[] = {".....", "....#", "...#.", "..#..", ".#...", "#....", "....."};
const char *const kLarge41[] = {"...", "...", "...", "...", "...", "...", "..."};

const PixelGlyph kLargeGlyphs[] = {
    {'A', kLarge0},
    {'B', kLarge1},
    {'C', kLarge2},
    {'D', kLarge3},
    {'E', kLarge4},
    {'F', kLarge5},
    {'G', kLarge6},
    {'H', kLarge7},
    {'I', kLarge8},
    {'J', kLarge9},
    {'K', kLarge10},
    {'L', kLarge11},
    {'M', kLarge12},
    {'N', kLarge13},
    {'O', kLarge14},
    {'P', kLarge15},
    {'Q', kLarge16},
    {'R', kLarge17},
    {'S', kLarge18},
    {'T', kLarge19},
    {'U', kLarge20},
    {'V', kLarge21},
    {'W', kLarge22},
    {'X', kLarge23},
    {'Y', kLarge24},
    {'Z', kLarge25},
    {'0', kLarge26},
    {'1', kLarge27},
    {'2', kLarge28},
    {'3', kLarge29},
    {'4', kLarge30},
    {'5', kLarge31},
    {'6', kLarge32},
    {'7', kLarge33},
    {'8', kLarge34},
    {'9', kLarge35},
    {'=', kLarge36},
    {';', kLarge37},
    {':', kLarge38},
    {'.', kLarge39},
    {'/', kLarge40},
    {' ', kLarge41},
};

const char *const kSmall0[] = {".#.", "#.#", "###", "#.#", "#.#"};
const char *const kSmall1[] = {"##.", "#.#", "##.", "#.#", "##."};
const char *const kSmall2[] = {".##", "#..", "#..", "#..", ".##"};
const char *const kSmall3[] = {"##.", "#.#", "#.#", "#.#", "##."};
const char *const kSmall4[] = {"###", "#..", "##.", "#..", "###"};
const char *const kSmall5[] = {"###", "#..", "##.", "#..", "#.."};
const char *const kSmall6[] = {".##", "#..", "#.#", "#.#", ".##"};
const char *const kSmall7[] = {"#.#", "#.#", "###", "#.#", "#.#"};
const char *const kSmall8[] = {"###", ".#.", ".#.", ".#.", "###"};
const char *const kSmall9[] = {"..#", "..#", "..#", "#.#", ".#."};
const char *const kSmall10[] = {"#.#", "#.#", "##.", "#.#", "#.#"};
const char *const kSmall11[] = {"#..", "#..", "#..", "#..", "###"};
const char *const kSmall12[] = {"#...#", "##.##", "#.#.#", "#...#", "#...#"};
const char *const kSmall13[] = {"#..#", "##.#", "#.##", "#..#", "#..#"};
const char *const kSmall14[] = {"###", "#.#", "#.#", "#.#", "###"};
const char *const kSmall15[] = {"##.", "#.#", "##.", "#..", "#.."};
const char *const kSmall16[] = {".#.", "#.#", "#.#", "##.", ".##"};
const char *const kSmall17[] = {"##.", "#.#", "##.", "#.#", "#.#"};
const char *const kSmall18[] = {".##", "#..", ".#.", "..#", "##."};
const char *const kSmall19[] = {"###", ".#.", ".#.", ".#.", ".#."};
const char *const kSmall20[] = {"#.#", "#.#", "#.#", "#.#", "###"};
const char *const kSmall21[] = {"#.#", "#.#", "#.#", "#.#", ".#."};
const char *const kSmall22[] = {"#...#", "#...#", "#.#.#", "##.##", "#...#"};
const char *const kSmall23[] = {"#.#", "#.#", ".#.", "#.#", "#.#"};
const char *const kSmall24[] = {"#.#", "#.#", ".#.", ".#.", ".#."};
const char *const kSmall25[] = {"###", "..#", ".#.", "#..", "###"};
const char *const kSmall26[] = {".#.", "#.#", "#.#", "#.#", ".#."};
const char *const kSmall27[] = {".#.", "##.", ".#.", ".#.", "###"};
const char *const kSmall28[] = {"##.", "..#", ".#.", "#..", "###"};
const char *const kSmall29[] = {"##.", "..#", ".#.", "..#", "##."};
const char *const kSmall30[] = {"#.#", "#.#", "###", "..#", "..#"};
const char *const kSmall31[] = {"###", "#..", "##.", "..#", "##."};
const char *const kSmall32[] = {".##", "#..", "###", "#.#", "###"};
const char *const kSmall33[] = {"###", "..#", ".#.", ".#.", ".#."};
const char *const kSmall34[] = {"###", "#.#", "###", "#.#", "###"};
const char *const kSmall35[] = {"###", "#.#", "###", "..#", "##."};
const char *const kSmall36[] = {"#", "#", "#", ".", "#"};
const char *const kSmall37[] = {"#.#", "#.#", "...", "...", "..."};
const char *const kSmall38[] = {"#.#", "###", "#.#", "###", "#.#"};
const char *const kSmall39[] = {".##", "##.", ".#.", ".##", "##."};
const char *const kSmall40[] = {"#.#", "..#", ".#.", "#..", "#.#"};
const char *const kSmall41[] = {".#.", "#.#", ".#.", "#.#", ".##"};
const char *const kSmall42[] = {"#", "#", ".", ".", "."};
const char *const kSmall43[] = {".#", "#.", "#.", "#.", ".#"};
const char *const kSmall44[] = {"#.", ".#", ".#", ".#", "#."};

const PixelGlyph kSmallGlyphs[] = {
    {'A', kSmall0},
    {'B', kSmall1},
    {'C', kSmall2},
    {'D', kSmall3},
    {'E', kSmall4},
    {'F', kSmall5},
    {'G', kSmall6},
    {'H', kSmall7},
    {'I', kSmall8},
    {'J', kSmall9},
    {'K', kSmall10},
    {'L', kSmall11},
    {'M', kSmall12},
    {'N', kSmall13},
    {'O', kSmall14},
    {'P', kSmall15},
    {'Q', kSmall16},
    {'R', kSmall17},
    {'S', kSmall18},
    {'T', kSmall19},
    {'U', kSmall20},
    {'V', kSmall21},
    {'W', kSmall22},
    {'X', kSmall23},
    {'Y', kSmall24},
    {'Z', kSmall25},
    {'0', kSmall26},
    {'1', kSmall27},
    {'2', kSmall28},
    {'3', kSmall29},
    {'4', kSmall30},
    {'5', kSmall31},
    {'6', kSmall32},
    {'7', kSmall33},
    {'8', kSmall34},
    {'9', kSmall35},
    {'!', kSmall36},
    {'"', kSmall37},
    {'#', kSmall38},
    {'$', kSmall39},
    {'%', kSmall40},
    {'&', kSmall41},
    {'\'', kSmall42},
    {'(', kSmall43},
    {')', kSmall44},
};

const PixelFont kLarge = {7, kLargeGlyphs, int(sizeof kLargeGlyphs / sizeof kLargeGlyphs[0])};
const PixelFont kSmall = {5, kSmallGlyphs, int(sizeof kSmallGlyphs / sizeof kSmallGlyphs[0])};

} // namespace

const char *const *PixelFont::rows(char c) const
{
    for (int i = 0; i < glyphCount; ++i) {
        if (glyphs[i].character == c)
            return glyphs[i].rows;
    }
    return nullptr;
}

int PixelFont::width(char c) const
{
    const char *const *glyph = rows(c);
    return glyph ? int(std::strlen(glyph[0])) : 0;
}

const PixelFont &LargePixelFont()
{
    return kLarge;
}

const PixelFont &SmallPixelFont()
{
    return kSmall;
}
