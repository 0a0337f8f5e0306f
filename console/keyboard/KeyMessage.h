#pragma once

#include <QtGlobal>

// A key message is two bytes on the controller's screen connection: the key
// flags, then the key code. The controller reads one make message when a key
// goes down and one break message when it comes up.
constexpr quint8 KF_BREAK = 0x01;   // the key came up
constexpr quint8 KF_CTRL = 0x02;    // CTRL latch (and FN on the second keypad)
constexpr quint8 KF_SHIFT = 0x04;   // SHIFT latch
constexpr quint8 KF_ALT = 0x08;     // ENT latch, or ALT on the compact keypad
constexpr quint8 KF_SPECIAL = 0x10; // non-character keys of the first keypad

constexpr int kKeyMessageSize = 2;

// The screen window's refresh request ("Aggiorna") is one such message: the
// controller answers it by sending every line of its panel again.
constexpr quint8 kRefreshFlags = KF_SPECIAL;
constexpr quint8 kRefreshCode = 0x65;
