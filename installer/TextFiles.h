#pragma once

#include <QString>

// Reads the file `name` and sets `target` to its bytes decoded as UTF-8, up to
// the first NUL byte. False, with `target` untouched, when it cannot be opened.
bool readTextFile(const QString &name, QString &target);
