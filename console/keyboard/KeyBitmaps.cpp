#include "KeyBitmaps.h"

#include "PixelFont.h"

#include <QImage>
#include <QPainter>
#include <QPalette>

#include <cstring>

namespace {

// Colours of the faces besides the button colours: the 16-colour set the
// controllers' own keypads are printed in.
const QColor kRed(0xE0, 0x00, 0x00);
const QColor kDarkRed(0x90, 0x00, 0x00);
const QColor kDarkBlue(0x00, 0x00, 0x80);
const QColor kCyan(0x00, 0xE0, 0xE0);
const QColor kMagenta(0xF0, 0x00, 0xF0);
const QColor kYellow(0xFF, 0xF0, 0x00);
const QColor kGreen(0x00, 0xA0, 0x00);

// Black, greys and white as the desktop paints its buttons.
struct ButtonColours
{
    QColor black, darkGrey, grey, white;
};

ButtonColours FromPalette(const QPalette &palette)
{
    return {palette.color(QPalette::ButtonText), palette.color(QPalette::Dark),
            palette.color(QPalette::Button), palette.color(QPalette::Light)};
}

// Pixel art: '#' ink, 'r' red, 'g' dark grey, 'w' white, '.' left as is.
class Canvas
{
public:
    Canvas(int width, int height, const QColor &background, const ButtonColours &colours)
        : m_image(width, height, QImage::Format_ARGB32_Premultiplied)
        , m_colours(colours)
    {
        m_image.fill(background);
    }

    QImage &Image() { return m_image; }
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }

    void Put(int x, int y, const QColor &colour)
    {
        if (x >= 0 && y >= 0 && x < m_image.width() && y < m_image.height())
            m_image.setPixelColor(x, y, colour);
    }

    void Pattern(const char *const *rows, int count, int x, int y, const QColor &ink,
                 bool flipVertically = false)
    {
        for (int r = 0; r < count; ++r) {
            const char *row = rows[flipVertically ? count - 1 - r : r];
            for (int c = 0; row[c]; ++c)
                PutCode(row[c], x + c, y + r, ink);
        }
    }

    // The pattern turned a quarter clockwise (rows become columns).
    void PatternTurned(const char *const *rows, int count, int x, int y, const QColor &ink)
    {
        for (int r = 0; r < count; ++r) {
            for (int c = 0; rows[r][c]; ++c)
                PutCode(rows[r][c], x + (count - 1 - r), y + c, ink);
        }
    }

    int TextWidth(const PixelFont &font, const char *text, int gap) const
    {
        int width = 0;
        for (const char *p = text; *p; ++p)
            width += font.width(*p) + (p[1] ? gap : 0);
        return width;
    }

    // Writes text; with two inks, neighbouring letters alternate between
    // them so that letters set without a gap stay apart.
    void Text(const PixelFont &font, const char *text, int x, int y, const QColor &ink,
              int gap = 1, const QColor &secondInk = QColor())
    {
        int i = 0;
        for (const char *p = text; *p; ++p, ++i) {
            const char *const *glyph = font.rows(*p);
            if (glyph) {
                const QColor &colour = (secondInk.isValid() && (i % 2)) ? secondInk : ink;
                Pattern(glyph, font.height, x, y, colour);
            }
            x += font.width(*p) + gap;
        }
    }

    // Text read from bottom to top, for upright keys.
    void TextUpwards(const PixelFont &font, const char *text, int x, int y, const QColor &ink)
    {
        // Each glyph turned a quarter anticlockwise; the first letter at the bottom.
        int bottom = y;
        for (const char *p = text; *p; ++p) {
            const char *const *glyph = font.rows(*p);
            const int width = font.width(*p);
            if (glyph) {
                for (int r = 0; r < font.height; ++r) {
                    for (int c = 0; c < width; ++c) {
                        if (glyph[r][c] == '#')
                            Put(x + r, bottom - c, ink);
                    }
                }
            }
            bottom -= width + 1;
        }
    }

private:
    void PutCode(char code, int x, int y, const QColor &ink)
    {
        switch (code) {
        case '#': Put(x, y, ink); break;
        case 'r': Put(x, y, kRed); break;
        case 'g': Put(x, y, m_colours.darkGrey); break;
        case 'w': Put(x, y, m_colours.white); break;
        default: break;
        }
    }

    QImage m_image;
    ButtonColours m_colours;
};

template <int N>
constexpr int Rows(const char *const (&)[N])
{
    return N;
}

// --- Symbols -------------------------------------------------------------

const char *const kArrowLeft[] = {
    "...#.....",
    "..##.....",
    ".########",
    "#########",
    ".########",
    "..##.....",
    "...#.....",
};

const char *const kBigArrowUp[] = {
    ".....##.....",
    "....####....",
    "...######...",
    "..########..",
    ".##########.",
    "############",
    "....####....",
    "....####....",
    "....####....",
    "....####....",
    "....####....",
    "....####....",
};

const char *const kShiftArrow[] = {
    "......##......",
    ".....####.....",
    "....######....",
    "...########...",
    "..##########..",
    ".############.",
    "....######....",
    "....######....",
    "....######....",
    "....######....",
    "....######....",
};

const char *const kNeedleLatch[] = {
    "..####......",
    ".#....#.....",
    "#......#....",
    "#......#....",
    ".#.....#....",
    ".......#....",
    ".......#..##",
    ".......#.##.",
    ".......###..",
    ".......##...",
    ".......#....",
    ".......#....",
    ".......#....",
};

const char *const kSnail[] = {
    "..............",
    "......####....",
    ".....#....#...",
    "....#..##..#..",
    "....#.#..#.#..",
    "#.#.#.#.##.#..",
    ".#..#..#...#..",
    ".#...#....#...",
    ".##...####....",
    "..##########..",
    "...#########..",
};

const char *const kTortoise[] = {
    "....######....",
    "...#.#..#.#...",
    "..#..#..#..#..",
    ".############.",
    "#.#..#..#..#.#",
    "##############",
    "..##......##..",
    "..##......##..",
};

const char *const kLamp[] = {
    "#.....#.....#",
    ".#.........#.",
    ".....###.....",
    "....#...#....",
    "##.#.....#.##",
    "...#..#..#...",
    "...#.#.#.#...",
    "....#...#....",
    ".....#.#.....",
    ".....###.....",
    ".....###.....",
    "......#......",
};

const char *const kAirBlow[] = {
    ".###..........",
    "#...#.........",
    "#...#.........",
    ".#..#.........",
    "....#..#.#....",
    "....#.........",
    "....#...#.#...",
    "....#.......#.",
    "....#.....####",
    "....#....####.",
    "....#...####..",
    "....#....##...",
};

const char *const kFan[] = {
    ".....###.....",
    "....####.....",
    "....###......",
    "##...##...#..",
    "###..#...###.",
    "####.#.######",
    "..#######....",
    "######.#.####",
    ".###...#..###",
    "..#...##...##",
    "......###....",
    ".....####....",
    ".....###.....",
};

const char *const kTwoBars[] = {
    "##########",
    "##########",
    "..........",
    "..........",
    "##########",
    "##########",
};

const char *const kAngle[] = {
    ".........#",
    "........#.",
    ".......#..",
    "......#...",
    ".....#....",
    "....#.....",
    "...#......",
    "..#.......",
    "##########",
};

// A circled number with a turning arrow at its upper right.
const char *const kTurningCircle[] = {
    "...#####.#.",
    "..#.....##.",
    ".#.....###.",
    "#..........",
    "#..........",
    "#.........#",
    "#.........#",
    "#.........#",
    ".#.......#.",
    "..#.....#..",
    "...#####...",
};

const char *const kGantry[] = {
    "##################",
    "##################",
    "##..............##",
    "##..............##",
    "##..............##",
    "##..............##",
    "##..............##",
    "##..............##",
    "##..............##",
    "##..............##",
    "##..............##",
    "##..............##",
    "##..............##",
    "##..............##",
    "##..............##",
    "##..............##",
    "###............###",
};

const char *const kGantryArrow[] = {
    "..###..",
    "..###..",
    "..###..",
    "..###..",
    "..###..",
    "#######",
    ".#####.",
    "..###..",
    "...#...",
};

const char *const kValve[] = {
    "....####....",
    "..##....##..",
    ".#.......##.",
    ".#......#.#.",
    "#......#...#",
    "#.....#....#",
    "#....#.....#",
    "#...#......#",
    ".#.#......#.",
    ".##.......#.",
    "..##....##..",
    "....####....",
};

struct Scheme
{
    QColor background, ink;
};

Scheme SchemeFor(KeyLook look, const ButtonColours &c)
{
    switch (look) {
    case KeyLook::BlackOnWhite: return {c.white, c.black};
    case KeyLook::BlackOnGrey: return {c.grey, c.black};
    case KeyLook::RedOnGrey: return {c.grey, kRed};
    case KeyLook::WhiteOnBlue: return {kDarkBlue, Qt::white};
    case KeyLook::BlueOnCyan: return {kCyan, kDarkBlue};
    case KeyLook::BlackOnCyan: return {kCyan, Qt::black};
    case KeyLook::BlackOnMagenta: return {kMagenta, Qt::black};
    case KeyLook::MachineYellow: return {kYellow, Qt::black};
    case KeyLook::PictureGrey: return {c.grey, c.darkGrey};
    case KeyLook::PictureGreen: return {c.grey, Qt::black};
    case KeyLook::PictureYellow: return {kYellow, Qt::black};
    }
    return {c.grey, c.black};
}

void Centred(Canvas &canvas, const char *const *rows, int count, const QColor &ink,
             bool flip = false)
{
    const int width = int(std::strlen(rows[0]));
    canvas.Pattern(rows, count, (canvas.Width() - width) / 2, (canvas.Height() - count) / 2, ink, flip);
}

// A legend: one character large; a short word in the large font when it
// fits, otherwise small, otherwise small on two lines.
void DrawLegend(Canvas &canvas, const KeyBitmap &bitmap, const QColor &ink)
{
    const PixelFont &large = LargePixelFont();
    const PixelFont &small = SmallPixelFont();
    const char *text = bitmap.legend;
    const bool noted = bitmap.note[0] != '\0';
    const int w = canvas.Width();
    const int h = canvas.Height();

    if (noted && std::strlen(text) == 1 && std::strlen(bitmap.note) == 1) {
        // Digit with its SHIFT character in red at the upper right.
        canvas.Text(large, text, 1, h - 8, ink);
        canvas.Text(small, bitmap.note, w - 1 - small.width(bitmap.note[0]), 1, kRed);
        return;
    }
    if (noted) {
        // Digit over its telephone letter group in red.
        canvas.Text(large, text, (w - large.width(text[0])) / 2, 0, ink);
        int gap = 1;
        QColor second;
        if (canvas.TextWidth(small, bitmap.note, gap) > w) {
            gap = 0;
            second = kDarkRed;
        }
        const int noteWidth = canvas.TextWidth(small, bitmap.note, gap);
        canvas.Text(small, bitmap.note, (w - noteWidth) / 2, h - small.height - 1, kRed, gap, second);
        return;
    }

    const int largeWidth = canvas.TextWidth(large, text, 1);
    if (largeWidth <= w - 2) {
        canvas.Text(large, text, (w - largeWidth + 1) / 2, (h - large.height) / 2, ink);
        return;
    }
    const int smallWidth = canvas.TextWidth(small, text, 1);
    if (smallWidth <= w) {
        canvas.Text(small, text, (w - smallWidth + 1) / 2, (h - small.height) / 2, ink);
        return;
    }
    // Two lines: the longer half on top.
    const int length = int(std::strlen(text));
    const int split = (length + 1) / 2;
    char top[16] = {};
    std::strncpy(top, text, size_t(qMin(split, 15)));
    const char *bottom = text + split;
    const int top0 = (h - 2 * small.height - 2) / 2;
    canvas.Text(small, top, (w - canvas.TextWidth(small, top, 1) + 1) / 2, top0, ink);
    canvas.Text(small, bottom, (w - canvas.TextWidth(small, bottom, 1) + 1) / 2,
                top0 + small.height + 2, ink);
}

void DrawDisc(Canvas &canvas, int x, int y, int diameter, const QColor &colour)
{
    QPainter painter(&canvas.Image());
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(x, y, diameter, diameter);
}

// The bed pictures: a bed symbol and a circled number with a turning arrow.
void DrawBedPicture(Canvas &canvas, KeySymbol symbol, KeyLook look, const QColor &ink)
{
    const bool twoBars = symbol == KeySymbol::TwoBarsOne;
    const char *number = twoBars ? "1" : "2";
    const int symbolX = 4;
    const int circleX = 24;
    if (look == KeyLook::PictureGreen) {
        DrawDisc(canvas, symbolX - 2, 0, 14, kGreen);
        DrawDisc(canvas, circleX - 2, 0, 14, kGreen);
    }
    if (twoBars)
        canvas.Pattern(kTwoBars, Rows(kTwoBars), symbolX, 4, ink);
    else
        canvas.Pattern(kAngle, Rows(kAngle), symbolX, 2, ink);
    if (look == KeyLook::PictureGreen) {
        // The red mark: at the top of the two bars, at the foot of the angle.
        const int markY = twoBars ? 1 : 12;
        for (int x = symbolX + 3; x < symbolX + 7; ++x) {
            canvas.Put(x, markY, kRed);
            canvas.Put(x, markY + (twoBars ? 1 : -1), kRed);
        }
    }
    canvas.Pattern(kTurningCircle, Rows(kTurningCircle), circleX, 1, ink);
    canvas.Text(SmallPixelFont(), number, circleX + 4, 4, ink);
}

// The pictures drawn as they are, centred on their key.
struct PixelPicture
{
    const char *const *rows;
    int count;
};

PixelPicture PictureOf(KeySymbol symbol)
{
    switch (symbol) {
    case KeySymbol::ShiftArrow:
        return {kShiftArrow, Rows(kShiftArrow)};
    case KeySymbol::NeedleLatch:
        return {kNeedleLatch, Rows(kNeedleLatch)};
    case KeySymbol::Valve:
        return {kValve, Rows(kValve)};
    case KeySymbol::Snail:
        return {kSnail, Rows(kSnail)};
    case KeySymbol::Tortoise:
        return {kTortoise, Rows(kTortoise)};
    case KeySymbol::Lamp:
        return {kLamp, Rows(kLamp)};
    case KeySymbol::AirBlow:
        return {kAirBlow, Rows(kAirBlow)};
    default:
        return {kFan, Rows(kFan)};
    }
}

} // namespace

QPixmap DrawKeyBitmap(const KeyBitmap &bitmap, const QPalette &palette)
{
    const ButtonColours colours = FromPalette(palette);
    const Scheme scheme = SchemeFor(bitmap.look, colours);
    Canvas canvas(bitmap.width, bitmap.height, scheme.background, colours);
    const QColor &ink = scheme.ink;

    switch (bitmap.symbol) {
    case KeySymbol::Legend:
        DrawLegend(canvas, bitmap, ink);
        break;
    case KeySymbol::VerticalLegend: {
        const PixelFont &large = LargePixelFont();
        const int length = canvas.TextWidth(large, bitmap.legend, 1);
        canvas.TextUpwards(large, bitmap.legend, (canvas.Width() - large.height) / 2,
                           canvas.Height() - 1 - (canvas.Height() - length) / 2, ink);
        break;
    }
    case KeySymbol::ArrowLeft:
        Centred(canvas, kArrowLeft, Rows(kArrowLeft), ink);
        break;
    case KeySymbol::ArrowRight: {
        // The left arrow mirrored.
        Canvas mirror(canvas.Width(), canvas.Height(), Qt::transparent, colours);
        Centred(mirror, kArrowLeft, Rows(kArrowLeft), ink);
        QPainter(&canvas.Image()).drawImage(0, 0, mirror.Image().mirrored(true, false));
        break;
    }
    case KeySymbol::ArrowUp:
    case KeySymbol::ArrowDown: {
        Canvas turned(canvas.Width(), canvas.Height(), Qt::transparent, colours);
        turned.PatternTurned(kArrowLeft, Rows(kArrowLeft), (canvas.Width() - 7) / 2,
                             (canvas.Height() - 9) / 2, ink);
        // Turning the left arrow clockwise points it up.
        const bool down = bitmap.symbol == KeySymbol::ArrowDown;
        QPainter(&canvas.Image()).drawImage(0, 0, turned.Image().mirrored(false, down));
        break;
    }
    case KeySymbol::BigArrowUp:
    case KeySymbol::BigArrowDown:
        Centred(canvas, kBigArrowUp, Rows(kBigArrowUp), ink, bitmap.symbol == KeySymbol::BigArrowDown);
        break;
    case KeySymbol::ShiftArrow:
    case KeySymbol::NeedleLatch:
    case KeySymbol::Valve:
    case KeySymbol::Snail:
    case KeySymbol::Tortoise:
    case KeySymbol::Lamp:
    case KeySymbol::AirBlow:
    case KeySymbol::Fan: {
        const PixelPicture picture = PictureOf(bitmap.symbol);
        Centred(canvas, picture.rows, picture.count, ink);
        break;
    }
    case KeySymbol::TwoBarsOne:
    case KeySymbol::AngleTwo:
        DrawBedPicture(canvas, bitmap.symbol, bitmap.look, ink);
        break;
    case KeySymbol::GantryDown:
    case KeySymbol::GantryUp:
        canvas.Pattern(kGantry, Rows(kGantry), 1, 2, colours.black);
        canvas.Pattern(kGantryArrow, Rows(kGantryArrow), 7, 7, colours.darkGrey,
                       bitmap.symbol == KeySymbol::GantryUp);
        break;
    }

    if (bitmap.look == KeyLook::MachineYellow) {
        // The machine keys' red corner.
        for (int y = 0; y < 4; ++y) {
            for (int x = canvas.Width() - 4 + y; x < canvas.Width(); ++x)
                canvas.Put(x, y, kRed);
        }
    }
    return QPixmap::fromImage(canvas.Image());
}
