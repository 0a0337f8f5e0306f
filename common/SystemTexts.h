#pragma once

#include <QLocale>

class QCoreApplication;
class QString;

// Qt's own texts (message-box buttons, the open-file dialog, window menus,
// edit boxes' context menus) in Italian, for the programs whose operator
// texts are fixed Italian texts, whatever the PC's language: the console and
// the installer. Called before any window exists, as Qt translates its texts
// when it creates them. The catalogue is Qt's (package qttranslations5-l10n); the
// translator lives as long as the application. Returns false when the
// catalogue is missing: the programs then run with Qt's English texts.
bool installItalianSystemTexts(QCoreApplication *application);

// The program's own catalogue, embedded as ":/translations/<program>_<lang>.qm",
// for the first of the PC's user-interface languages that has one, else the
// English one: a program whose texts mix English and Italian then speaks one
// language. Returns the language installed, or QLocale::AnyLanguage when the
// program was built without catalogues.
QLocale::Language installProgramTexts(QCoreApplication *application, const QString &program,
                                      const QLocale &locale = QLocale());
