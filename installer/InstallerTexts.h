#pragma once

class QCoreApplication;

// The installer's texts in the PC's language: Italian on an Italian PC,
// English elsewhere; Qt's own texts (the buttons of the question on
// leaving) follow. Called before any window exists.
void installInstallerTexts(QCoreApplication *application);
