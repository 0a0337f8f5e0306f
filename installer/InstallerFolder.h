#pragma once

#include <QString>

// The folder the installer works in: the one holding its files
// (QuorvelIns.ini, Intro.html, ReadMe.html and usually the setup).
namespace InstallerFolder {

// The working folder when QuorvelIns.ini is there; otherwise the program's
// own folder when it is there (the installer started by its path, from a
// file manager or a terminal elsewhere); empty when neither holds it.
QString find(const QString &workingFolder, const QString &programFolder);

// What the user is told when neither folder holds the ini: where the
// installer looked and which files it needs.
QString missingFilesMessage(const QString &workingFolder, const QString &programFolder);

} // namespace InstallerFolder
