#pragma once

#include <QIcon>

// The console's pictures, drawn at start-up: the program icon and the
// 16 x 16 toolbar buttons, in plain strokes that stay legible at that size.
namespace ConsoleIcons {

QIcon ProgramIcon();
// The toolbar picture of a command id; a null icon for other ids.
QIcon CommandIcon(int commandId);

} // namespace ConsoleIcons
