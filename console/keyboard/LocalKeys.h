#pragma once

class QObject;
class QWidget;

// Windows of the console's own (a context menu, the floor overview) whose
// keys belong to the console alone: a key pressed while one of them takes
// the keys is never mirrored to a controller, whatever keypad is shown.

// Marks the window, and every window it holds (submenus), as keeping its keys.
void KeepKeysLocal(QWidget *window);

// True when a key press delivered to the receiver (a widget or a native
// window) ends up in a window that keeps its keys.
bool IsKeyPressLocal(QObject *receiver);
