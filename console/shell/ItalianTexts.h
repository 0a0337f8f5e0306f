#pragma once

class QFileDialog;
class QString;
class QWidget;

// The console speaks Italian throughout, also where Qt brings texts of its
// own (the open-file dialog, the screen windows' system menu, the edit
// boxes' context menus): Qt's Italian catalogue is loaded at start with
// installItalianSystemTexts().

// The open-file dialog of "Apri da filelist": any file, which must exist,
// starting in startFolder. Qt's own dialog, so that it speaks the console's
// language whatever the desktop's.
QFileDialog *CreateChannelListDialog(QWidget *parent, const QString &startFolder);
