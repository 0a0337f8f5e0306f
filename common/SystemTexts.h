#pragma once

class QCoreApplication;

// Qt's own texts (message-box buttons, the open-file dialog, window menus,
// edit boxes' context menus) in Italian, for the programs whose operator
// texts are fixed Italian texts, whatever the PC's language: the console and
// the installer. Called before any window exists, as Qt translates its texts
// when it creates them. The catalogue is Qt's (package qttranslations5-l10n); the
// translator lives as long as the application. Returns false when the
// catalogue is missing: the programs then run with Qt's English texts.
bool installItalianSystemTexts(QCoreApplication *application);
