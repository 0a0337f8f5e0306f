#pragma once

#include <Qt>

class QKeyEvent;

// The one place where the PC keys Qt reports become the virtual-key codes of
// the keypad tables. Letters and digits count only from the main block, not
// from the numeric pad; both Enter keys are Enter; Shift+Tab is still Tab.
// Returns VK_NONE for a key no keypad mirrors.
int VirtualKeyFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers);

// As above for a key event; a digit key of the main block that arrives as
// its shifted character (Shift+1 gives '!') is still recognised by its
// position on the keyboard.
int VirtualKeyFromEvent(const QKeyEvent &event);
