#include "KeyboardLayout.h"

#include "VirtualKeys.h"

// Keypad of the first controller family (template 134): character keys send
// their ASCII codes, the other keys small codes with KF_SPECIAL.

namespace {

// Keys in scan order: control, text, code, SHIFT code, special, PC key,
// position, bitmap.
const KeyDef kKeys[] = {
    {1061, "F0", 0x12, 0x12, true, VK_F10, {33, 3, 14, 14}, Legend(KeyLook::BlackOnGrey, "F0")},
    {1062, "F1", 0x13, 0x13, true, VK_F1, {47, 3, 14, 14}, Legend(KeyLook::BlackOnGrey, "F1")},
    {1064, "F2", 0x14, 0x14, true, VK_F2, {61, 3, 14, 14}, Legend(KeyLook::BlackOnGrey, "F2")},
    {1063, "F3", 0x15, 0x15, true, VK_F3, {75, 3, 14, 14}, Legend(KeyLook::BlackOnGrey, "F3")},
    {1065, "F4", 0x16, 0x16, true, VK_F4, {89, 3, 14, 14}, Legend(KeyLook::BlackOnGrey, "F4")},
    {1066, "F5", 0x17, 0x17, true, VK_F5, {103, 3, 14, 14}, Legend(KeyLook::BlackOnGrey, "F5")},
    {1067, "F6", 0x18, 0x18, true, VK_F6, {117, 3, 14, 14}, Legend(KeyLook::BlackOnGrey, "F6")},
    {1068, "F7", 0x19, 0x19, true, VK_F7, {131, 3, 14, 14}, Legend(KeyLook::BlackOnGrey, "F7")},
    {1069, "F8", 0x1A, 0x1A, true, VK_F8, {145, 3, 14, 14}, Legend(KeyLook::BlackOnGrey, "F8")},
    {1070, "F9", 0x1B, 0x1B, true, VK_F9, {159, 3, 14, 14}, Legend(KeyLook::BlackOnGrey, "F9")},
    {1039, "TAB", 0x04, 0x04, true, VK_TAB, {3, 18, 14, 14}, Legend(KeyLook::BlackOnGrey, "TAB")},
    {1099, "Q", 0x51, 0x71, false, 'Q', {17, 18, 14, 14}, Legend(KeyLook::BlackOnWhite, "Q")},
    {1100, "W", 0x57, 0x77, false, 'W', {31, 18, 14, 14}, Legend(KeyLook::BlackOnWhite, "W")},
    {1102, "E", 0x45, 0x65, false, 'E', {45, 18, 14, 14}, Legend(KeyLook::BlackOnWhite, "E")},
    {1101, "R", 0x52, 0x72, false, 'R', {59, 18, 14, 14}, Legend(KeyLook::BlackOnWhite, "R")},
    {1103, "T", 0x54, 0x74, false, 'T', {73, 18, 14, 14}, Legend(KeyLook::BlackOnWhite, "T")},
    {1104, "Y", 0x59, 0x79, false, 'Y', {87, 18, 14, 14}, Legend(KeyLook::BlackOnWhite, "Y")},
    {1105, "U", 0x55, 0x75, false, 'U', {101, 18, 14, 14}, Legend(KeyLook::BlackOnWhite, "U")},
    {1106, "I", 0x49, 0x69, false, 'I', {115, 18, 14, 14}, Legend(KeyLook::BlackOnWhite, "I")},
    {1107, "O", 0x4F, 0x6F, false, 'O', {129, 18, 14, 14}, Legend(KeyLook::BlackOnWhite, "O")},
    {1108, "P", 0x50, 0x70, false, 'P', {143, 18, 14, 14}, Legend(KeyLook::BlackOnWhite, "P")},
    {1057, "=", 0x3D, 0x2D, false, VK_NONE, {157, 18, 14, 14}, Legend(KeyLook::BlackOnWhite, "=")},
    {1044, "DEL", 0x02, 0x02, true, VK_DELETE, {171, 18, 14, 14}, Legend(KeyLook::BlackOnGrey, "DEL")},
    {1157, "A", 0x41, 0x61, false, 'A', {25, 33, 14, 14}, Legend(KeyLook::BlackOnWhite, "A")},
    {1114, "S", 0x53, 0x73, false, 'S', {39, 33, 14, 14}, Legend(KeyLook::BlackOnWhite, "S")},
    {1113, "D", 0x44, 0x64, false, 'D', {53, 33, 14, 14}, Legend(KeyLook::BlackOnWhite, "D")},
    {1115, "F", 0x46, 0x66, false, 'F', {67, 33, 14, 14}, Legend(KeyLook::BlackOnWhite, "F")},
    {1116, "G", 0x47, 0x67, false, 'G', {81, 33, 14, 14}, Legend(KeyLook::BlackOnWhite, "G")},
    {1117, "H", 0x48, 0x68, false, 'H', {95, 33, 14, 14}, Legend(KeyLook::BlackOnWhite, "H")},
    {1118, "J", 0x4A, 0x6A, false, 'J', {109, 33, 14, 14}, Legend(KeyLook::BlackOnWhite, "J")},
    {1119, "K", 0x4B, 0x6B, false, 'K', {123, 33, 14, 14}, Legend(KeyLook::BlackOnWhite, "K")},
    {1120, "L", 0x4C, 0x6C, false, 'L', {137, 33, 14, 14}, Legend(KeyLook::BlackOnWhite, "L")},
    {1110, ";", 0x3B, 0x2B, false, VK_NONE, {151, 33, 14, 14}, Legend(KeyLook::BlackOnWhite, ";")},
    {1109, ":", 0x3A, 0x3A, false, VK_NONE, {165, 33, 14, 14}, Legend(KeyLook::BlackOnWhite, ":")},
    {1094, "RETURN", 0x05, 0x05, true, VK_RETURN, {185, 18, 14, 28}, VerticalLegend(KeyLook::BlackOnGrey, "RETURN")},
    {1123, "Z", 0x5A, 0x7A, false, 'Z', {31, 48, 14, 14}, Legend(KeyLook::BlackOnWhite, "Z")},
    {1124, "X", 0x58, 0x78, false, 'X', {45, 48, 14, 14}, Legend(KeyLook::BlackOnWhite, "X")},
    {1126, "C", 0x43, 0x63, false, 'C', {59, 48, 14, 14}, Legend(KeyLook::BlackOnWhite, "C")},
    {1125, "V", 0x56, 0x76, false, 'V', {73, 48, 14, 14}, Legend(KeyLook::BlackOnWhite, "V")},
    {1127, "B", 0x42, 0x62, false, 'B', {87, 48, 14, 14}, Legend(KeyLook::BlackOnWhite, "B")},
    {1128, "N", 0x4E, 0x6E, false, 'N', {101, 48, 14, 14}, Legend(KeyLook::BlackOnWhite, "N")},
    {1129, "M", 0x4D, 0x6D, false, 'M', {115, 48, 14, 14}, Legend(KeyLook::BlackOnWhite, "M")},
    {1130, ".", 0x2E, 0x2E, false, VK_NONE, {129, 48, 14, 14}, Legend(KeyLook::BlackOnWhite, ".")},
    {1131, "/", 0x2F, 0x3F, false, VK_NONE, {143, 48, 14, 14}, Legend(KeyLook::BlackOnWhite, "/")},
    {1132, "ESC", 0x06, 0x06, true, VK_ESCAPE, {157, 48, 14, 14}, Legend(KeyLook::BlackOnGrey, "ESC")},
    {1153, "SPACE", 0x20, 0x20, false, VK_SPACE, {171, 48, 28, 14}, WideLegend(KeyLook::BlackOnGrey, "SPACE")},
    {1034, "FRECCIA SINISTRA", 0x07, 0x07, true, VK_LEFT, {205, 3, 14, 14}, Symbol(KeyLook::BlackOnWhite, KeySymbol::ArrowLeft)},
    {1098, "FRECCIA DESTRA", 0x08, 0x08, true, VK_RIGHT, {247, 3, 14, 14}, Symbol(KeyLook::BlackOnWhite, KeySymbol::ArrowRight)},
    {1096, "FRECCIA SU", 0x09, 0x09, true, VK_UP, {219, 3, 14, 14}, Symbol(KeyLook::BlackOnWhite, KeySymbol::ArrowUp)},
    {1097, "FRECCIA GIU", 0x0A, 0x0A, true, VK_DOWN, {233, 3, 14, 14}, Symbol(KeyLook::BlackOnWhite, KeySymbol::ArrowDown)},
    {1133, "7", 0x37, 0x27, false, '7', {205, 18, 14, 14}, Legend(KeyLook::BlackOnWhite, "7", "'")},
    {1134, "8", 0x38, 0x28, false, '8', {219, 18, 14, 14}, Legend(KeyLook::BlackOnWhite, "8", "(")},
    {1135, "9", 0x39, 0x29, false, '9', {233, 18, 14, 14}, Legend(KeyLook::BlackOnWhite, "9", ")")},
    {1136, "HELP", 0x0B, 0x0B, true, VK_HOME, {247, 18, 14, 14}, Legend(KeyLook::BlackOnGrey, "HELP")},
    {1137, "4", 0x34, 0x24, false, '4', {205, 33, 14, 14}, Legend(KeyLook::BlackOnWhite, "4", "$")},
    {1138, "5", 0x35, 0x25, false, '5', {219, 33, 14, 14}, Legend(KeyLook::BlackOnWhite, "5", "%")},
    {1139, "6", 0x36, 0x26, false, '6', {233, 33, 14, 14}, Legend(KeyLook::BlackOnWhite, "6", "&")},
    {1141, "1", 0x31, 0x21, false, '1', {205, 48, 14, 14}, Legend(KeyLook::BlackOnWhite, "1", "!")},
    {1142, "2", 0x32, 0x22, false, '2', {219, 48, 14, 14}, Legend(KeyLook::BlackOnWhite, "2", "\"")},
    {1143, "3", 0x33, 0x23, false, '3', {233, 48, 14, 14}, Legend(KeyLook::BlackOnWhite, "3", "#")},
    {1144, "0", 0x30, 0x30, false, '0', {247, 48, 14, 14}, Legend(KeyLook::BlackOnWhite, "0")},
    {1147, "APRIAGO", 0x0F, 0x0F, true, VK_NONE, {265, 33, 14, 14}, Symbol(KeyLook::BlackOnGrey, KeySymbol::NeedleLatch)},
    {1148, "FRECCETTONE GIU", 0x0D, 0x0D, true, VK_NEXT, {279, 33, 14, 14}, Symbol(KeyLook::BlackOnGrey, KeySymbol::BigArrowDown)},
    {1149, "VALVOLA PARZIALIZZATRICE", 0x0E, 0x0E, true, VK_NONE, {265, 48, 14, 14}, Symbol(KeyLook::BlackOnGrey, KeySymbol::Valve)},
    {1150, "FRECCETTONE SU", 0x0C, 0x0C, true, VK_PRIOR, {279, 48, 14, 14}, Symbol(KeyLook::BlackOnGrey, KeySymbol::BigArrowUp)},
};

// Latches in priority order: control, name, flag, PC key, position, text,
// bitmap.
const LatchDef kLatches[] = {
    {1038, "SHIFT", 0x04, VK_SHIFT, {3, 48, 28, 14}, "SHIFT", WideLegend(KeyLook::RedOnGrey, "SHIFT")},
    {1151, "CTRL", 0x02, VK_CONTROL, {11, 33, 14, 14}, "CTRL", Legend(KeyLook::BlackOnGrey, "CTRL")},
    {1158, "ENT", 0x08, VK_MENU, {247, 33, 14, 14}, "ENT", Legend(KeyLook::BlackOnGrey, "ENT")},
};

const PictureDef kPictures[] = {
    {1041, {265, 3, 27, 14}, true, Symbol(KeyLook::PictureGrey, KeySymbol::TwoBarsOne, 40, 14)},
    {1042, {265, 17, 27, 14}, true, Symbol(KeyLook::PictureGrey, KeySymbol::AngleTwo, 40, 14)},
};

// PC keys in the order they are read; SPACE last.
const int kMirrorList[] = {
    VK_F10, VK_F1, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9,
    VK_TAB, 'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', VK_DELETE, VK_CONTROL,
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
    0, 134, 296, 66,
    View(kKeys), View(kLatches), View(kPictures), View(kMirrorList),
};

} // namespace

const KeyboardLayout &FirstFamilyKeyboard()
{
    return kLayout;
}
