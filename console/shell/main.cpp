#include "BrenlowApp.h"
#include "ItalianTexts.h"
#include "WidgetMessages.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brenlow"));
    // Before any window exists: Qt translates its texts as it creates them.
    InstallItalianTexts(&application);

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
