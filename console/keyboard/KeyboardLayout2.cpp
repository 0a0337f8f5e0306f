#include "KeyboardLayout.h"

#include "VirtualKeys.h"

// Compact keypad (template 136) with the machine keys LUMACA, TARTARUGA,
// LAMPADA, SOFFIO APRIAGO and VENTOLA; every key sends flags 0x00 and SHIFT
// changes no code.

namespace {

// Keys in scan order: control, text, code, SHIFT code, special, PC key,
// position, bitmap.
const KeyDef kKeys[] = {
    {1099, "LUMACA", 0xEB, 0xEB, false, VK_NONE, {111, 40, 14, 14}, Symbol(KeyLook::MachineYellow, KeySymbol::Snail)},
    {1140, "TARTARUGA", 0xEC, 0xEC, false, VK_NONE, {111, 56, 14, 14}, Symbol(KeyLook::MachineYellow, KeySymbol::Tortoise)},
    // LAMPADA toggles its pressed-in look at every click; only its pushed
    // state is read, like any key.
    {1048, "LAMPADA", 0xED, 0xED, false, VK_NONE, {111, 71, 14, 14}, Symbol(KeyLook::MachineYellow, KeySymbol::Lamp), true},
    {1145, "SOFFIO APRIAGO", 0xEE, 0xEE, false, VK_NONE, {111, 86, 14, 14}, Symbol(KeyLook::MachineYellow, KeySymbol::AirBlow)},
    {1045, "VENTOLA", 0xEF, 0xEF, false, VK_NONE, {111, 102, 14, 14}, Symbol(KeyLook::MachineYellow, KeySymbol::Fan)},
    {1061, "F0", 0xF0, 0xF0, false, VK_F10, {1, 15, 14, 14}, Legend(KeyLook::BlackOnCyan, "F0")},
    {1062, "F1", 0xF1, 0xF1, false, VK_F1, {15, 15, 14, 14}, Legend(KeyLook::BlackOnCyan, "F1")},
    {1064, "F2", 0xF2, 0xF2, false, VK_F2, {29, 15, 14, 14}, Legend(KeyLook::BlackOnCyan, "F2")},
    {1063, "F3", 0xF3, 0xF3, false, VK_F3, {43, 15, 14, 14}, Legend(KeyLook::BlackOnCyan, "F3")},
    {1065, "F4", 0xF4, 0xF4, false, VK_F4, {57, 15, 14, 14}, Legend(KeyLook::BlackOnCyan, "F4")},
    {1066, "F5", 0xF5, 0xF5, false, VK_F5, {71, 15, 14, 14}, Legend(KeyLook::BlackOnCyan, "F5")},
    {1067, "F6", 0xF6, 0xF6, false, VK_F6, {85, 15, 14, 14}, Legend(KeyLook::BlackOnCyan, "F6")},
    {1068, "F7", 0xF7, 0xF7, false, VK_F7, {111, 15, 14, 14}, Legend(KeyLook::BlackOnCyan, "F7")},
    {1069, "F8", 0xF8, 0xF8, false, VK_F8, {111, 0, 14, 14}, Legend(KeyLook::BlackOnCyan, "F8")},
    {1044, "DEL", 0x7F, 0x7F, false, VK_DELETE, {48, 102, 14, 14}, Legend(KeyLook::BlackOnGrey, "DEL")},
    {1094, "RETURN", 0x0D, 0x0D, false, VK_RETURN, {69, 102, 31, 14}, WideLegend(KeyLook::BlackOnGrey, "RETURN")},
    {1132, "ESC", 0x1B, 0x1B, false, VK_ESCAPE, {6, 102, 14, 14}, Legend(KeyLook::BlackOnGrey, "ESC")},
    {1153, "SPACE", 0x20, 0x20, false, VK_SPACE, {20, 102, 28, 14}, WideLegend(KeyLook::BlackOnGrey, "SPACE")},
    {1034, "FRECCIA SINISTRA", 0xE0, 0xE0, false, VK_LEFT, {6, 40, 14, 14}, Symbol(KeyLook::BlackOnGrey, KeySymbol::ArrowLeft)},
    {1098, "FRECCIA DESTRA", 0xE1, 0xE1, false, VK_RIGHT, {48, 40, 14, 14}, Symbol(KeyLook::BlackOnGrey, KeySymbol::ArrowRight)},
    {1096, "FRECCIA SU", 0xE2, 0xE2, false, VK_UP, {20, 40, 14, 14}, Symbol(KeyLook::BlackOnGrey, KeySymbol::ArrowUp)},
    {1097, "FRECCIA GIU", 0xE3, 0xE3, false, VK_DOWN, {34, 40, 14, 14}, Symbol(KeyLook::BlackOnGrey, KeySymbol::ArrowDown)},
    {1133, "7", 0x37, 0x37, false, '7', {6, 86, 14, 14}, Legend(KeyLook::BlackOnGrey, "7", "PQRS")},
    {1134, "8", 0x38, 0x38, false, '8', {20, 86, 14, 14}, Legend(KeyLook::BlackOnGrey, "8", "TUV")},
    {1135, "9", 0x39, 0x39, false, '9', {34, 86, 14, 14}, Legend(KeyLook::BlackOnGrey, "9", "WXYZ")},
    {1136, "HELP", 0xE4, 0xE4, false, VK_HOME, {48, 56, 14, 14}, Legend(KeyLook::BlackOnGrey, "HELP")},
    {1137, "4", 0x34, 0x34, false, '4', {6, 71, 14, 14}, Legend(KeyLook::BlackOnGrey, "4", "GHI")},
    {1138, "5", 0x35, 0x35, false, '5', {20, 71, 14, 14}, Legend(KeyLook::BlackOnGrey, "5", "JKL")},
    {1139, "6", 0x36, 0x36, false, '6', {34, 71, 14, 14}, Legend(KeyLook::BlackOnGrey, "6", "MNO")},
    {1141, "1", 0x31, 0x31, false, '1', {6, 56, 14, 14}, Legend(KeyLook::BlackOnGrey, "1")},
    {1142, "2", 0x32, 0x32, false, '2', {20, 56, 14, 14}, Legend(KeyLook::BlackOnGrey, "2", "ABC")},
    {1143, "3", 0x33, 0x33, false, '3', {34, 56, 14, 14}, Legend(KeyLook::BlackOnGrey, "3", "DEF")},
    {1144, "0", 0x30, 0x30, false, '0', {48, 86, 14, 14}, Legend(KeyLook::BlackOnGrey, "0")},
    {1148, "FRECCETTONE GIU", 0xE6, 0xE6, false, VK_NEXT, {86, 71, 13, 14}, Symbol(KeyLook::BlackOnGrey, KeySymbol::BigArrowDown)},
    {1150, "FRECCETTONE SU", 0xE5, 0xE5, false, VK_PRIOR, {85, 86, 14, 14}, Symbol(KeyLook::BlackOnGrey, KeySymbol::BigArrowUp)},
};

// Latches in priority order: control, name, flag, PC key, position, text,
// bitmap.
const LatchDef kLatches[] = {
    {1038, "SHIFT", 0x04, VK_SHIFT, {70, 86, 15, 14}, "SHIFT", Legend(KeyLook::BlackOnGrey, "SHIFT")},
    {1151, "CTRL", 0x02, VK_CONTROL, {70, 71, 15, 14}, "CTRL", Legend(KeyLook::BlackOnGrey, "CTRL")},
    {1047, "ALT", 0x08, VK_MENU, {48, 71, 14, 14}, "ALT", Legend(KeyLook::BlackOnGrey, "ALT")},
};

const PictureDef kPictures[] = {
    {1041, {70, 40, 29, 14}, true, Symbol(KeyLook::PictureYellow, KeySymbol::TwoBarsOne, 40, 14)},
    {1042, {70, 55, 29, 14}, true, Symbol(KeyLook::PictureYellow, KeySymbol::AngleTwo, 40, 14)},
};

// PC keys in the order they are read; SPACE last.
const int kMirrorList[] = {
    VK_F10, VK_F1, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8,
    VK_DELETE, VK_CONTROL, VK_RETURN, VK_SHIFT, VK_ESCAPE, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN,
    '7', '8', '9', VK_HOME, '4', '5', '6', VK_MENU, '1', '2', '3', '0',
    VK_NEXT, VK_PRIOR, VK_SPACE,
};

template <class T, int N>
constexpr TableView<T> View(const T (&items)[N])
{
    return {items, N};
}

const KeyboardLayout kLayout = {
    2, 136, 127, 127,
    View(kKeys), View(kLatches), View(kPictures), View(kMirrorList),
};

} // namespace

const KeyboardLayout &CompactKeyboard()
{
    return kLayout;
}
