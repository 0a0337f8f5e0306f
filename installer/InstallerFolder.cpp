#include "InstallerFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace InstallerFolder {

namespace {

bool holdsIni(const QString &folder)
{
    return !folder.isEmpty() && QFileInfo(QDir(folder).filePath(QStringLiteral("QuorvelIns.ini"))).isFile();
}

} // namespace

QString find(const QString &workingFolder, const QString &programFolder)
{
    if (holdsIni(workingFolder))
        return workingFolder;
    if (holdsIni(programFolder))
        return programFolder;
    return QString();
}

QString missingFilesMessage(const QString &workingFolder, const QString &programFolder)
{
    const QString working = QDir::toNativeSeparators(QDir::cleanPath(workingFolder));
    const QString program = QDir::toNativeSeparators(QDir::cleanPath(programFolder));
    const QString where = working == program || program.isEmpty()
        ? QCoreApplication::translate("QuorvelInsClass", "nella cartella %1").arg(working)
        : QCoreApplication::translate("QuorvelInsClass", "nelle cartelle %1 e %2").arg(working, program);
    return QCoreApplication::translate("QuorvelInsClass",
                                       "QuorvelIns.ini non si trova %1.\n\n"
                                       "L'installazione ha bisogno di QuorvelIns.ini, Intro.html e ReadMe.html "
                                       "nella stessa cartella: avviare QuorvelIns da quella cartella del supporto "
                                       "di installazione.")
        .arg(where);
}

} // namespace InstallerFolder
