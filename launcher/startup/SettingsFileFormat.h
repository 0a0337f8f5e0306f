#pragma once

#include <QSettings>

// The file format of the launcher's two settings stores: plain INI text as
// people and other programs write it, read as UTF-8 and taken literally.
//
// - "[group]" starts a group; "[Machines\Rettilinea è]" is the child group
//   "Rettilinea è" of "Machines". "[General]" stands for the top level.
// - "key=value" sets a key of the current group; a key may name child
//   groups with backslashes ("Rettilinea è\PathBin=...").
// - The value is everything after the first "=" up to the end of the line,
//   exactly as written: commas, blanks, quotes, semicolons and backslashes
//   are part of it, and nothing is unescaped or split into a list.
// - Blanks around a key and a group's brackets are ignored; lines that are
//   empty or begin with ";" or "#" are comments. A key given twice keeps its
//   last value. A byte-order mark at the start is skipped.
namespace SettingsFileFormat {

// The format registered with QSettings (files ending in ".conf", kept where
// Qt keeps INI settings).
QSettings::Format format();

// The largest settings file that is read; a larger one reads as empty.
inline constexpr qint64 maxFileBytes = 4 * 1024 * 1024;

bool read(QIODevice &device, QSettings::SettingsMap &map);
// Writes the map in the same format. False for a value that cannot be
// written on one line.
bool write(QIODevice &device, const QSettings::SettingsMap &map);

} // namespace SettingsFileFormat
