#pragma once

#include "PanelUnits.h"

#include <QByteArray>

class ScreenImage;

// The binary messages that carry panels to the browsers, little-endian:
//
//   u8  1 (panel units)
//   u16 controller index in the list
//   u8  family: 1 monochrome (bands, palette white/black), 2 colour (lines)
//   u8  flags: bit 0 = a whole panel
//   u16 number of units n
//   n x { u8 band or line number; its palette indices, one byte a pixel }
//
// A band is 8 rows of 240 indices (1920 bytes), a line 320 indices.
namespace PanelMessages {

constexpr quint8 kPanelUnits = 1;
constexpr int kHeaderBytes = 7;

// The units marked (every unit when whole) of the controller's image as it
// stands; empty when there is nothing to send.
QByteArray Encode(int index, const ScreenImage &image, const PanelUnits::UnitSet &units, bool whole);
// The palette and size of a panel, as a JSON text message.
QByteArray PaletteJson(int index, PanelUnits::Family family);

} // namespace PanelMessages
