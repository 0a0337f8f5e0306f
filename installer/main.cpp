#include "ProgramEntry.h"
#include "ProgramVersions.h"
#include "QuorvelIns.h"
#include "SystemTexts.h"

#include <QApplication>

namespace {

ProgramDescription installerDescription()
{
    ProgramDescription program;
    program.name = QStringLiteral("QuorvelIns");
    program.version = QLatin1String(ProgramVersions::kInstaller);
    program.summary = QStringLiteral("Quorvel installer front-end: shows Intro.html and ReadMe.html from the\n"
                                     "working folder and starts the setup named in QuorvelIns.ini there.");
    return program;
}

} // namespace

int main(int argc, char *argv[])
{
    if (printStandaloneOption(argc, argv, installerDescription()))
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QLatin1String(ProgramVersions::kInstaller));
    // The one question the installer asks is in Italian; its buttons too.
    installItalianSystemTexts(&app);
    QuorvelIns window;
    window.show();
    return app.exec();
}
