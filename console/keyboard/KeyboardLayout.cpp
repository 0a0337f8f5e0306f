#include "KeyboardLayout.h"

const KeyboardLayout &KeyboardLayoutAt(int index)
{
    switch (index) {
    case 1:
        return SecondFamilyKeyboard();
    case 2:
        return CompactKeyboard();
    default:
        return FirstFamilyKeyboard();
    }
}
