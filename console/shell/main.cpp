#include "BrenlowApp.h"
#include "ProgramEntry.h"
#include "ProgramVersions.h"
#include "SystemTexts.h"
#include "WidgetMessages.h"

#include <QApplication>
#include <QStringList>

namespace {

ProgramDescription consoleDescription()
{
    ProgramDescription program;
    program.name = QStringLiteral("Brenlow");
    program.version = QLatin1String(ProgramVersions::kConsole);
    program.summary = QStringLiteral("Machine console: one screen window per knitting-machine controller,\n"
                                     "with its on-screen keypads and network statistics.");
    program.argumentName = QStringLiteral("channel-list");
    program.argumentHelp = QStringLiteral("Text file with one controller address per line, opened at start;\n"
                                          "the whole command line is taken as its path.");
    program.argumentSyntax = QStringLiteral("[channel-list]");
    return program;
}

} // namespace

int main(int argc, char *argv[])
{
    if (printStandaloneOption(argc, argv, consoleDescription()))
        return 0;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brenlow"));
    QApplication::setApplicationVersion(QLatin1String(ProgramVersions::kConsole));
    // Before any window exists: Qt translates its texts as it creates them.
    installItalianSystemTexts(&application);

    WidgetMessages messages;
    SetMessages(&messages);

    // The command line is one text, the way the console has always taken
    // it: the shell split it into arguments, so they are joined again with
    // single blanks (a path with blanks still names one file).
    const QString commandLine = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));

    CBrenlowApp app;
    if (!app.InitInstance(commandLine))
        return 1;
    const int result = QApplication::exec();
    SetMessages(nullptr);
    return result;
}
