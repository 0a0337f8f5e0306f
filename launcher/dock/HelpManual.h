#pragma once

#include <QString>
#include <QUrl>

// Where the platform's user manuals live: one PDF per language, in a
// language folder under the platform's installation folder.
namespace HelpManual {

// The language folder for a language setting of the main program:
// 0 Italian, 2 Spanish, 4 English, 7 Chinese; any other value English.
QString languageFolder(int language);

// The manual for a language setting, as a file URL.
QUrl manualUrl(int language);

} // namespace HelpManual
