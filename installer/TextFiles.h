#pragma once

#include <QString>

// The most of a page file that is read: far more than any introduction or
// read-me, and little enough that a damaged or hostile file cannot exhaust
// the memory of the installer's window.
inline constexpr qint64 kMaxTextFileBytes = 256 * 1024;

// Reads the file `name` and sets `target` to its bytes decoded as UTF-8, up to
// the first NUL byte and at most kMaxTextFileBytes (a longer file is cut
// there). False, with `target` untouched, when it cannot be opened.
bool readTextFile(const QString &name, QString &target);
