#include "InstallerFolder.h"
#include "InstallerTexts.h"
#include "ModalMessageBox.h"
#include "ProgramEntry.h"
#include "ProgramVersions.h"
#include "QuorvelIns.h"

#include <QApplication>
#include <QDir>

namespace {

ProgramDescription installerDescription()
{
    ProgramDescription program;
    program.name = QStringLiteral("QuorvelIns");
    program.version = QLatin1String(ProgramVersions::kInstaller);
    program.summary = QStringLiteral("Quorvel installer front-end: shows Intro.html and ReadMe.html from the\n"
                                     "folder holding QuorvelIns.ini (the working folder, else the program's\n"
                                     "own) and starts the setup named in QuorvelIns.ini there.");
    return program;
}

} // namespace

int main(int argc, char *argv[])
{
    if (printStandaloneOption(argc, argv, installerDescription()))
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QLatin1String(ProgramVersions::kInstaller));
    installInstallerTexts(&app);
    // Without its files the installer can only show blank pages and a
    // Start that does nothing: it says where it looked and ends.
    const QString working = QDir::currentPath();
    const QString program = QCoreApplication::applicationDirPath();
    const QString folder = InstallerFolder::find(working, program);
    if (folder.isEmpty()) {
        execMessageBox({QMessageBox::Critical, QStringLiteral("QuorvelIns"),
                        InstallerFolder::missingFilesMessage(working, program), QMessageBox::Ok, QMessageBox::Ok,
                        nullptr});
        return 1;
    }
    QDir::setCurrent(folder);
    QuorvelIns window;
    window.show();
    return app.exec();
}
