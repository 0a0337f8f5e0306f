#pragma once

#include <QtGlobal>

// The three keypads a controller can announce: the full keyboard of the
// first and second controller families (65 keys each, same scan order) and
// the compact keypad with the machine's own function keys. Each keypad is
// described here as data; CKeyboardDlg builds its window from it.

constexpr int kKeyboardLayoutCount = 3;

// Positions and sizes are in dialog units: x, y, width, height.
struct DialogRect
{
    short x, y, width, height;
};

// Colour scheme of a key face or picture. Black, greys and white follow the
// desktop's button colours when the bitmap is drawn.
enum class KeyLook : quint8 {
    BlackOnWhite,
    BlackOnGrey,
    RedOnGrey,
    WhiteOnBlue,    // white legend on dark blue
    BlueOnCyan,     // dark-blue legend on cyan
    BlackOnCyan,
    BlackOnMagenta,
    MachineYellow,  // black symbol on yellow with a red corner
    PictureGrey,    // dark grey on light grey
    PictureGreen,   // symbols on green discs with a red mark
    PictureYellow,
};

// What a face shows: a text legend or one of the drawn symbols.
enum class KeySymbol : quint8 {
    Legend,
    VerticalLegend, // read bottom to top
    ArrowLeft,
    ArrowRight,
    ArrowUp,
    ArrowDown,
    BigArrowUp,
    BigArrowDown,
    ShiftArrow,
    NeedleLatch,    // needle with its latch open (APRIAGO)
    Valve,          // circle crossed by a diagonal (throttling valve)
    Snail,
    Tortoise,
    Lamp,
    AirBlow,        // needle hook with air dashes from a nozzle
    Fan,
    TwoBarsOne,     // two-bar symbol and a circled 1 with a turning arrow
    AngleTwo,       // angle symbol and a circled 2 with a turning arrow
    GantryDown,     // downward arrow inside a gantry
    GantryUp,
};

// One bitmap: symbol, colours, legend text (Legend kinds), a second text in
// red (the SHIFT character of a digit or a telephone letter group), size in
// pixels.
struct KeyBitmap
{
    KeySymbol symbol;
    KeyLook look;
    const char *legend;
    const char *note;
    quint8 width, height;
};

constexpr KeyBitmap Legend(KeyLook look, const char *text, const char *note = "")
{
    return {KeySymbol::Legend, look, text, note, 14, 14};
}
constexpr KeyBitmap WideLegend(KeyLook look, const char *text)
{
    return {KeySymbol::Legend, look, text, "", 40, 14};
}
constexpr KeyBitmap VerticalLegend(KeyLook look, const char *text)
{
    return {KeySymbol::VerticalLegend, look, text, "", 14, 36};
}
constexpr KeyBitmap Symbol(KeyLook look, KeySymbol symbol, quint8 width = 14, quint8 height = 14)
{
    return {symbol, look, "", "", width, height};
}

// A key of the keypad, in scan order: the first key found down under a latch
// wins, and plain keys are sent in this order.
struct KeyDef
{
    int controlId;
    const char *name;    // the control's text; the button shows the bitmap
    quint8 code;         // code sent without latch and under every latch but SHIFT
    quint8 shiftCode;    // code sent under the SHIFT latch
    bool special;        // KF_SPECIAL on every message of this key
    int pcKey;           // mirroring PC key (virtual-key code) or VK_NONE
    DialogRect rect;
    KeyBitmap bitmap;
    bool toggles = false; // keeps a pressed-in look between clicks (LAMPADA)
};

// A modifier latch, in priority order: the first active latch that handles
// a pass ends it.
struct LatchDef
{
    int controlId;
    const char *name;
    quint8 flag;
    int pcKey;
    DialogRect rect;
    const char *text;    // the control's text; the latch shows the bitmap
    KeyBitmap bitmap;
};

// A fixed picture in a sunken frame; never changed at run time.
struct PictureDef
{
    int controlId;
    DialogRect rect;
    bool centred;        // the bitmap is centred in the control
    KeyBitmap bitmap;
};

template <class T>
struct TableView
{
    const T *items;
    int count;
    const T *begin() const { return items; }
    const T *end() const { return items + count; }
    const T &operator[](int i) const { return items[i]; }
    int size() const { return count; }
};

struct KeyboardLayout
{
    int index;              // 0, 1 or 2
    int templateId;         // 134, 135, 136
    short width, height;    // window client size in dialog units
    TableView<KeyDef> keys;
    TableView<LatchDef> latches;
    TableView<PictureDef> pictures;
    TableView<int> mirrorList; // PC keys in reading order; SPACE last
};

// The layout for an index 0..2.
const KeyboardLayout &KeyboardLayoutAt(int index);

const KeyboardLayout &FirstFamilyKeyboard();   // layout 0
const KeyboardLayout &SecondFamilyKeyboard();  // layout 1
const KeyboardLayout &CompactKeyboard();       // layout 2
