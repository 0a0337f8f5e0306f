#pragma once

#include <QSettings>

// The INI text of the platform's settings files: the launcher's two stores
// and the installer's QuorvelIns.ini. The platform's Qt programs write them
// with QSettings(IniFormat), people write them by hand; one reader takes
// both exactly as their writer meant them.
//
// - "[group]" starts a group; "[Machines\Rettilinea è]" is the child group
//   "Rettilinea è" of "Machines". "[General]" (any case) is the top level,
//   "[%General]" the group named "General". A key may name child groups with
//   backslashes ("Rettilinea è\PathBin=...").
// - Names are read as Qt writes them: "%XX" and "%UXXXX" stand for the
//   character of that hexadecimal code ("Rettilinea%20%E8" is "Rettilinea è").
// - The value is the text after the first "=", without the blanks around it.
//   Commas, semicolons, "#", "=" and quotes inside it are text: nothing is
//   split into a list, and "sh "my setup"" keeps its quotes.
// - A value that Qt quoted, wholly enclosed in double quotes, reads without
//   them, blanks inside kept. The same holds for each comma-separated piece
//   of a list Qt wrote: "\"r 2\", prova" reads as "r 2, prova".
// - Backslash escapes as Qt writes them are decoded: \\ \" \a \b \f \n \r
//   \t \v \0 and \xHHHH; a backslash before any other character is text.
// - "@@" at the start stands for one "@"; "@Invalid()" is a missing value,
//   "@ByteArray(...)" a byte array, "@Rect(x y w h)", "@Size(w h)" and
//   "@Point(x y)" the geometry Qt writes so.
// - Names and values are UTF-8; one whose bytes are not UTF-8 is read as
//   Latin-1 (as Qt writes them with a Latin-1 codec). A byte-order mark at
//   the start is skipped; a NUL byte is an ordinary character.
// - Lines end in LF, CR LF or CR; lines that are empty or begin with ";" or
//   "#" are comments. A key given twice keeps its last value.
namespace SettingsFileFormat {

// The format registered with QSettings (files ending in ".conf", kept where
// Qt keeps INI settings).
QSettings::Format format();

// The largest settings file that is read; a larger one reads as empty.
inline constexpr qint64 maxFileBytes = 4 * 1024 * 1024;

bool read(QIODevice &device, QSettings::SettingsMap &map);
// Writes the map as Qt's INI writer does with a UTF-8 codec, so that both
// this reader and QSettings(IniFormat) read every string back unchanged.
bool write(QIODevice &device, const QSettings::SettingsMap &map);

// One value or one name as it stands in the file, decoded.
QVariant valueFromText(const QByteArray &text);
QString nameFromText(const QByteArray &text);

} // namespace SettingsFileFormat
