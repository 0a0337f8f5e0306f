#include "KeyboardLayout.h"

#include "VirtualKeys.h"

// Keypad of the second controller family (template 135): the same keys as
// the first family in the same scan order, with flags 0x00 and the ASCII
// control codes or codes from 0xE0 up for the non-character keys.

namespace {

// Keys in scan order: control, text, code, SHIFT code, special, PC key,
// position, bitmap.
const KeyDef kKeys[] = {
    {1061, "F0", 0xF0, 0xF0, false, VK_F10, {30, 3, 14, 14}, Legend(KeyLook::WhiteOnBlue, "F0")},
    {1062, "F1", 0xF1, 0xF1, false, VK_F1, {44, 3, 14, 14}, Legend(KeyLook::WhiteOnBlue, "F1")},
    {1064, "F2", 0xF2, 0xF2, false, VK_F2, {58, 3, 14, 14}, Legend(KeyLook::WhiteOnBlue, "F2")},
    {1063, "F3", 0xF3, 0xF3, false, VK_F3, {72, 3, 14, 14}, Legend(KeyLook::WhiteOnBlue, "F3")},
    {1065, "F4", 0xF4, 0xF4, false, VK_F4, {86, 3, 14, 14}, Legend(KeyLook::WhiteOnBlue, "F4")},
    {1066, "F5", 0xF5, 0xF5, false, VK_F5, {100, 3, 14, 14}, Legend(KeyLook::WhiteOnBlue, "F5")},
    {1067, "F6", 0xF6, 0xF6, false, VK_F6, {114, 3, 14, 14}, Legend(KeyLook::WhiteOnBlue, "F6")},
    {1068, "F7", 0xF7, 0xF7, false, VK_F7, {128, 3, 14, 14}, Legend(KeyLook::WhiteOnBlue, "F7")},
    {1069, "F8", 0xF8, 0xF8, false, VK_F8, {142, 3, 14, 14}, Legend(KeyLook::WhiteOnBlue, "F8")},
    {1070, "F9", 0xF9, 0xF9, false, VK_F9, {156, 3, 14, 14}, Legend(KeyLook::WhiteOnBlue, "F9")},
    {1039, "TAB", 0x09, 0x09, false, VK_TAB, {3, 18, 14, 14}, Legend(KeyLook::BlackOnGrey, "TAB")},
    {1099, "Q", 0x51, 0x71, false, 'Q', {17, 18, 14, 14}, Legend(KeyLook::BlueOnCyan, "Q")},
    {1100, "W", 0x57, 0x77, false, 'W', {31, 18, 14, 14}, Legend(KeyLook::BlueOnCyan, "W")},
    {1102, "E", 0x45, 0x65, false, 'E', {45, 18, 14, 14}, Legend(KeyLook::BlueOnCyan, "E")},
    {1101, "R", 0x52, 0x72, false, 'R', {59, 18, 14, 14}, Legend(KeyLook::BlueOnCyan, "R")},
    {1103, "T", 0x54, 0x74, false, 'T', {73, 18, 14, 14}, Legend(KeyLook::BlueOnCyan, "T")},
    {1104, "Y", 0x59, 0x79, false, 'Y', {87, 18, 14, 14}, Legend(KeyLook::BlueOnCyan, "Y")},
    {1105, "U", 0x55, 0x75, false, 'U', {101, 18, 14, 14}, Legend(KeyLook::BlueOnCyan, "U")},
    {1106, "I", 0x49, 0x69, false, 'I', {115, 18, 14, 14}, Legend(KeyLook::BlueOnCyan, "I")},
    {1107, "O", 0x4F, 0x6F, false, 'O', {129, 18, 14, 14}, Legend(KeyLook::BlueOnCyan, "O")},
    {1108, "P", 0x50, 0x70, false, 'P', {143, 18, 14, 14}, Legend(KeyLook::BlueOnCyan, "P")},
    {1057, "=", 0x3D, 0x2D, false, VK_NONE, {157, 18, 14, 14}, Legend(KeyLook::BlueOnCyan, "=")},
    {1044, "DEL", 0x7F, 0x7F, false, VK_DELETE, {171, 18, 14, 14}, Legend(KeyLook::BlueOnCyan, "DEL")},
    {1157, "A", 0x41, 0x61, false, 'A', {25, 33, 14, 14}, Legend(KeyLook::BlueOnCyan, "A")},
    {1114, "S", 0x53, 0x73, false, 'S', {39, 33, 14, 14}, Legend(KeyLook::BlueOnCyan, "S")},
    {1113, "D", 0x44, 0x64, false, 'D', {53, 33, 14, 14}, Legend(KeyLook::BlueOnCyan, "D")},
    {1115, "F", 0x46, 0x66, false, 'F', {67, 33, 14, 14}, Legend(KeyLook::BlueOnCyan, "F")},
    {1116, "G", 0x47, 0x67, false, 'G', {81, 33, 14, 14}, Legend(KeyLook::BlueOnCyan, "G")},
    {1117, "H", 0x48, 0x68, false, 'H', {95, 33, 14, 14}, Legend(KeyLook::BlueOnCyan, "H")},
    {1118, "J", 0x4A, 0x6A, false, 'J', {109, 33, 14, 14}, Legend(KeyLook::BlueOnCyan, "J")},
    {1119, "K", 0x4B, 0x6B, false, 'K', {123, 33, 14, 14}, Legend(KeyLook::BlueOnCyan, "K")},
    {1120, "L", 0x4C, 0x6C, false, 'L', {137, 33, 14, 14}, Legend(KeyLook::BlueOnCyan, "L")},
    {1110, ";", 0x3B, 0x2B, false, VK_NONE, {151, 33, 14, 14}, Legend(KeyLook::BlueOnCyan, ";")},
    {1109, ":", 0x3A, 0x3A, false, VK_NONE, {165, 33, 14, 14}, Legend(KeyLook::BlueOnCyan, ":")},
    {1094, "RETURN", 0x0D, 0x0D, false, VK_RETURN, {185, 18, 14, 28}, VerticalLegend(KeyLook::BlackOnGrey, "RETURN")},
    {1123, "Z", 0x5A, 0x7A, false, 'Z', {31, 48, 14, 14}, Legend(KeyLook::BlueOnCyan, "Z")},
    {1124, "X", 0x58, 0x78, false, 'X', {45, 48, 14, 14}, Legend(KeyLook::BlueOnCyan, "X")},
    {1126, "C", 0x43, 0x63, false, 'C', {59, 48, 14, 14}, Legend(KeyLook::BlueOnCyan, "C")},
    {1125, "V", 0x56, 0x76, false, 'V', {73, 48, 14, 14}, Legend(KeyLook::BlueOnCyan, "V")},
    {1127, "B", 0x42, 0x62, false, 'B', {87, 48, 14, 14}, Legend(KeyLook::BlueOnCyan, "B")},
    {1128, "N", 0x4E, 0x6E, false, 'N', {101, 48, 14, 14}, Legend(KeyLook::BlueOnCyan, "N")},
    {1129, "M", 0x4D, 0x6D, false, 'M', {115, 48, 14, 14}, Legend(KeyLook::BlueOnCyan, "M")},
    {1130, ".", 0x2E, 0x2E, false, VK_NONE, {129, 48, 14, 14}, Legend(KeyLook::BlueOnCyan, ".")},
    {1131, "/", 0x2F, 0x3F, false, VK_NONE, {143, 48, 14, 14}, Legend(KeyLook::BlueOnCyan, "/")},
    {1132, "ESC", 0x1B, 0x1B, false, VK_ESCAPE, {157, 48, 14, 14}, Legend(KeyLook::BlueOnCyan, "ESC")},
    {1153, "SPACE", 0x20, 0x20, false, VK_SPACE, {171, 48, 28, 14}, WideLegend(KeyLook::BlackOnGrey, "SPACE")},
    {1034, "FRECCIA SINISTRA", 0xE0, 0xE0, false, VK_LEFT, {240, 3, 14, 14}, Symbol(KeyLook::BlueOnCyan, KeySymbol::ArrowLeft)},
    {1098, "FRECCIA DESTRA", 0xE1, 0xE1, false, VK_RIGHT, {282, 3, 14, 14}, Symbol(KeyLook::BlueOnCyan, KeySymbol::ArrowRight)},
    {1096, "FRECCIA SU", 0xE2, 0xE2, false, VK_UP, {254, 3, 14, 14}, Symbol(KeyLook::BlueOnCyan, KeySymbol::ArrowUp)},
    {1097, "FRECCIA GIU", 0xE3, 0xE3, false, VK_DOWN, {268, 3, 14, 14}, Symbol(KeyLook::BlueOnCyan, KeySymbol::ArrowDown)},
    {1133, "7", 0x37, 0x27, false, '7', {240, 18, 14, 14}, Legend(KeyLook::BlueOnCyan, "7")},
    {1134, "8", 0x38, 0x28, false, '8', {254, 18, 14, 14}, Legend(KeyLook::BlueOnCyan, "8")},
    {1135, "9", 0x39, 0x29, false, '9', {268, 18, 14, 14}, Legend(KeyLook::BlueOnCyan, "9")},
    {1136, "HELP", 0xE4, 0xE4, false, VK_HOME, {282, 18, 14, 14}, Legend(KeyLook::BlackOnGrey, "HELP")},
    {1137, "4", 0x34, 0x24, false, '4', {240, 33, 14, 14}, Legend(KeyLook::BlueOnCyan, "4")},
    {1138, "5", 0x35, 0x25, false, '5', {254, 33, 14, 14}, Legend(KeyLook::BlueOnCyan, "5")},
    {1139, "6", 0x36, 0x26, false, '6', {268, 33, 14, 14}, Legend(KeyLook::BlueOnCyan, "6")},
    {1141, "1", 0x31, 0x21, false, '1', {240, 48, 14, 14}, Legend(KeyLook::BlueOnCyan, "1")},
    {1142, "2", 0x32, 0x22, false, '2', {254, 48, 14, 14}, Legend(KeyLook::BlueOnCyan, "2")},
    {1143, "3", 0x33, 0x23, false, '3', {268, 48, 14, 14}, Legend(KeyLook::BlueOnCyan, "3")},
    {1144, "0", 0x30, 0x30, false, '0', {282, 48, 14, 14}, Legend(KeyLook::BlueOnCyan, "0")},
    {1147, "APRIAGO", 0xE8, 0xE8, false, VK_NONE, {200, 33, 14, 14}, Symbol(KeyLook::BlackOnMagenta, KeySymbol::NeedleLatch)},
    {1148, "FRECCETTONE GIU", 0xEC, 0xEC, false, VK_NEXT, {171, 3, 14, 14}, Symbol(KeyLook::BlackOnGrey, KeySymbol::BigArrowDown)},
    {1149, "VALVOLA PARZIALIZZATRICE", 0xE7, 0xE7, false, VK_NONE, {200, 48, 14, 14}, Symbol(KeyLook::BlackOnMagenta, KeySymbol::Valve)},
    {1150, "FRECCETTONE SU", 0xEB, 0xEB, false, VK_PRIOR, {185, 3, 14, 14}, Symbol(KeyLook::BlackOnGrey, KeySymbol::BigArrowUp)},
};

// Latches in priority order: control, name, flag, PC key, position, text,
// bitmap.
const LatchDef kLatches[] = {
    {1038, "SHIFT", 0x04, VK_SHIFT, {13, 48, 14, 14}, "CTRL", Symbol(KeyLook::RedOnGrey, KeySymbol::ShiftArrow)},
    {1151, "CTRL", 0x02, VK_CONTROL, {8, 33, 14, 14}, "CTRL", Legend(KeyLook::BlackOnGrey, "CTRL")},
    {1158, "ENT", 0x08, VK_MENU, {282, 33, 14, 14}, "ENT", Legend(KeyLook::BlackOnGrey, "ENT")},
    // FN reaches the controller as CTRL does.
    {1046, "FN", 0x02, VK_F12, {9, 3, 14, 14}, "FN", Legend(KeyLook::BlackOnGrey, "FN")},
};

const PictureDef kPictures[] = {
    {1041, {202, 3, 27, 14}, true, Symbol(KeyLook::PictureGreen, KeySymbol::TwoBarsOne, 40, 14)},
    {1042, {202, 17, 27, 14}, true, Symbol(KeyLook::PictureGreen, KeySymbol::AngleTwo, 40, 14)},
    {1043, {214, 33, 16, 14}, false, Symbol(KeyLook::PictureGrey, KeySymbol::GantryDown, 20, 20)},
    {1045, {214, 48, 16, 14}, false, Symbol(KeyLook::PictureGrey, KeySymbol::GantryUp, 20, 20)},
};

// PC keys in the order they are read; SPACE last.
const int kMirrorList[] = {
    VK_F10, VK_F1, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9,
    VK_TAB, 'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', VK_DELETE, VK_CONTROL, VK_F12,
    'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L', VK_RETURN, VK_SHIFT,
    'Z', 'X', 'C', 'V', 'B', 'N', 'M', VK_ESCAPE, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN,
    '7', '8', '9', VK_HOME, '4', '5', '6', VK_MENU, '1', '2', '3', '0',
    VK_NEXT, VK_PRIOR, VK_SPACE,
};

template <class T, int N>
constexpr TableView<T> View(const T (&items)[N])
{
    return {items, N};
}

const KeyboardLayout kLayout = {
    1, 135, 296, 66,
    View(kKeys), View(kLatches), View(kPictures), View(kMirrorList),
};

} // namespace

const KeyboardLayout &SecondFamilyKeyboard()
{
    return kLayout;
}
