#include "ControllerPanel.h"

#include "BitmapFont.h"
#include "KeyMessage.h"
#include "StatisticsRecord.h"

namespace {

// Colour pixels are 3-3-2: red in bits 7-5, green in bits 4-2, blue in bits 1-0.
constexpr quint8 Rgb(int red, int green, int blue)
{
    return quint8((red << 5) | (green << 2) | blue);
}

constexpr quint8 kBlack = Rgb(0, 0, 0);
constexpr quint8 kWhite = Rgb(7, 7, 3);
constexpr quint8 kLightGrey = Rgb(5, 5, 2);
constexpr quint8 kMidGrey = Rgb(3, 3, 1);
constexpr quint8 kDarkBlue = Rgb(0, 0, 2);
constexpr quint8 kYellow = Rgb(7, 7, 0);
constexpr quint8 kRed = Rgb(7, 0, 0);
constexpr quint8 kDarkRed = Rgb(3, 0, 0);
constexpr quint8 kGreen = Rgb(0, 7, 0);
constexpr quint8 kDarkGreen = Rgb(0, 2, 0);
constexpr quint8 kCyan = Rgb(0, 7, 3);
constexpr quint8 kDarkCyan = Rgb(0, 2, 1);
constexpr quint8 kDimYellow = Rgb(3, 3, 0);

constexpr int kFloodStripWidth = 8;

QString Tail(const QString &text, int maxChars)
{
    return text.size() <= maxChars ? text : text.right(maxChars);
}

QString Hex(quint8 value)
{
    return QStringLiteral("0x%1").arg(value, 2, 16, QLatin1Char('0'));
}

} // namespace

// Where things go and in which colour; monochrome uses 1 for dark, 0 for light.
struct ControllerPanel::Colours
{
    quint8 background;
    quint8 text;
    quint8 titleBar;
    quint8 titleText;
    quint8 clock;
    quint8 inputBox;
    quint8 inputText;
    quint8 needle;
    quint8 carriage;
    quint8 carriageMark;
    int rowStep;     // distance between text rows
    int titleHeight;
    int textLeft;
};

ControllerPanel::ControllerPanel(const PanelIdentity &identity, bool floodStrip)
    : m_identity(identity), m_floodStrip(floodStrip), m_input(identity.layout)
{
}

QString ControllerPanel::ChipLine() const
{
    const QString name = ChipName(m_identity.chipId);
    const QString chip = name.isEmpty() ? QStringLiteral("id %1 (unknown)").arg(m_identity.chipId) : name;
    return QStringLiteral("Chip %1 rev. %2").arg(chip).arg(m_identity.revision);
}

PanelCanvas ControllerPanel::Render(const QTime &clock) const
{
    const bool mono = m_identity.format == PanelFormat::Mono;
    const Colours colours = mono
        ? Colours{0, 1, 1, 0, 0, 0, 1, 1, 1, 0, 9, 11, 3}
        : Colours{kLightGrey, kBlack, kDarkBlue, kWhite, kYellow, kWhite, kBlack,
                  kMidGrey, kRed, kYellow, 10, 14, 6};

    PanelCanvas canvas = mono
        ? PanelCanvas(kMonoWidth, kMonoBandCount * kMonoBandRows, colours.background)
        : PanelCanvas(kColourWidth, kColourHeight, colours.background);

    RenderText(canvas, colours, clock);
    if (mono) {
        RenderCarriage(canvas, colours, 98, kMonoVisibleHeight - 98);
    } else {
        RenderColourAreas(canvas);
        RenderCarriage(canvas, colours, 206, kColourHeight - 206);
    }
    if (m_floodStrip)
        DrawFloodStrip(canvas);
    return canvas;
}

void ControllerPanel::RenderText(PanelCanvas &canvas, const Colours &colours, const QTime &clock) const
{
    const int width = canvas.Width();
    const int left = colours.textLeft;
    const int textTop = (colours.titleHeight - kGlyphHeight) / 2;
    const QString time = clock.isValid() ? clock.toString(QStringLiteral("HH:mm:ss")) : QStringLiteral("--:--:--");

    canvas.FillRect(0, 0, width, colours.titleHeight, colours.titleBar);
    canvas.DrawText(left, textTop, QStringLiteral("SIMULATED CONTROLLER"), colours.titleText);
    canvas.DrawText(width - left - time.size() * kGlyphCellWidth, textTop, time, colours.clock);

    int y = colours.titleHeight + 4;
    const int step = colours.rowStep;
    canvas.DrawText(left, y, QStringLiteral("Address ") + m_identity.address, colours.text);
    y += step;
    canvas.DrawText(left, y, QStringLiteral("Panel %1  Keypad %2  Consoles %3")
                                 .arg(FormatName(m_identity.format))
                                 .arg(m_identity.layout)
                                 .arg(m_consoles),
                    colours.text);
    y += step;
    canvas.DrawText(left, y, ChipLine(), colours.text);
    y += step;
    canvas.DrawText(left, y, QStringLiteral("Tick %1  Keys %2").arg(m_ticks).arg(m_input.MessageCount()),
                    colours.text);
    y += step + 2;

    // The input line: what the operator typed, with a cursor.
    const int boxHeight = kGlyphCellHeight + 5;
    const int maxChars = (width - 2 * left) / kGlyphCellWidth - 3;
    canvas.FillRect(left - 2, y, width - 2 * (left - 2), boxHeight, colours.inputBox);
    canvas.DrawFrame(left - 2, y, width - 2 * (left - 2), boxHeight, colours.text);
    canvas.DrawText(left + 1, y + 3, QStringLiteral("> ") + Tail(m_input.Input(), maxChars) + QLatin1Char('_'),
                    colours.inputText);
    y += boxHeight + 3;

    const QString lastKey = m_input.HasLastKey() ? m_input.LastKey() : QStringLiteral("none yet");
    canvas.DrawText(left, y, QStringLiteral("Key ") + lastKey, colours.text);
    y += step;
    if (m_input.HasLastKey()) {
        canvas.DrawText(left, y, QStringLiteral("    flags %1 code %2")
                                     .arg(Hex(m_input.LastFlags()), Hex(m_input.LastCode())),
                        colours.text);
    }
    y += step;
    canvas.DrawText(left, y, QStringLiteral("Entered ") + Tail(m_input.Entered(), maxChars - 6), colours.text);
}

void ControllerPanel::RenderColourAreas(PanelCanvas &canvas) const
{
    // Lamps: RUN blinks with the tick, KEY lights while a key is held,
    // NET lights while a console is connected.
    const bool keyHeld = m_input.HasLastKey() && !(m_input.LastFlags() & KF_BREAK);
    struct Lamp { const char *label; quint8 colour; };
    const Lamp lamps[] = {
        {"RUN", (m_ticks % 2 == 0) ? kGreen : kDarkGreen},
        {"KEY", keyHeld ? kYellow : kDimYellow},
        {"NET", m_consoles > 0 ? kCyan : kDarkCyan},
        {"ERR", kDarkRed},
    };
    int x = 6;
    const int lampTop = 122;
    for (const Lamp &lamp : lamps) {
        canvas.FillRect(x, lampTop, 14, 10, lamp.colour);
        canvas.DrawFrame(x, lampTop, 14, 10, kBlack);
        canvas.DrawText(x + 18, lampTop + 2, QString::fromLatin1(lamp.label), kBlack);
        x += 78;
    }

    // Colour levels: eight reds, eight greens, four blues.
    const int barTop = 136;
    for (int level = 0; level < 8; ++level) {
        canvas.FillRect(level * 40, barTop, 40, 10, Rgb(level, 0, 0));
        canvas.FillRect(level * 40, barTop + 10, 40, 10, Rgb(0, level, 0));
    }
    for (int level = 0; level < 4; ++level)
        canvas.FillRect(level * 80, barTop + 20, 80, 10, Rgb(0, 0, level));

    // Every pixel value once: 32 columns by 8 rows of 10 x 4 cells.
    const int paletteTop = 168;
    for (int value = 0; value < 256; ++value)
        canvas.FillRect((value % 32) * 10, paletteTop + (value / 32) * 4, 10, 4, quint8(value));
}

void ControllerPanel::RenderCarriage(PanelCanvas &canvas, const Colours &colours, int top, int height) const
{
    const int width = canvas.Width();
    const int needleHeight = height / 3;
    const int bedTop = top + height - needleHeight;
    for (int x = 1; x < width; x += 4)
        canvas.FillRect(x, bedTop, 2, needleHeight, colours.needle);

    // The carriage runs back and forth over the needle bed, one step a tick.
    const int carriageWidth = 36;
    const int carriageHeight = bedTop - top - 3;
    const int stepPixels = 12;
    const int steps = (width - carriageWidth) / stepPixels;
    const int phase = int(m_ticks % quint64(2 * steps));
    const int position = phase < steps ? phase : 2 * steps - phase;
    const int x = position * stepPixels;
    canvas.FillRect(x, top, carriageWidth, carriageHeight, colours.carriage);
    canvas.DrawText(x + (carriageWidth - 2 * kGlyphCellWidth) / 2 + 1, top + (carriageHeight - kGlyphHeight) / 2,
                    phase < steps ? QStringLiteral(">>") : QStringLiteral("<<"), colours.carriageMark);
}

void ControllerPanel::DrawFloodStrip(PanelCanvas &canvas) const
{
    const bool mono = m_identity.format == PanelFormat::Mono;
    const int left = canvas.Width() - kFloodStripWidth;
    for (int y = 0; y < canvas.Height(); ++y) {
        const quint8 pattern = quint8((quint64(y) * 3 + m_floodPhase) & 0xFF);
        for (int column = 0; column < kFloodStripWidth; ++column) {
            const quint8 value = mono ? quint8((pattern >> column) & 1) : quint8(pattern + column * 32);
            canvas.SetPixel(left + column, y, value);
        }
    }
}
