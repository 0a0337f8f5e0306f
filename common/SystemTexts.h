#pragma once

class QCoreApplication;

// Qt's own texts (message-box buttons, standard dialogs) in Italian, for the
// programs whose operator texts are fixed Italian texts, whatever the PC's
// language. The catalogue is Qt's (package qttranslations5-l10n); the
// translator lives as long as the application. Returns false when the
// catalogue is missing: the programs then run with Qt's English texts.
bool installItalianSystemTexts(QCoreApplication *application);
