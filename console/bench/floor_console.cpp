// The console as the floor benchmark runs it: Brenlow's own start-up on a
// channel list, with the floor overview opened at once when the first
// argument is --overview. The benchmark measures this process beside the
// plain console to give the overview's own share.
#include "BrenlowApp.h"
#include "FloorOverview.h"
#include "MainFrame.h"
#include "WidgetMessages.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brenlow"));

    WidgetMessages messages;
    SetMessages(&messages);

    QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool overview = !arguments.isEmpty() && arguments.first() == QStringLiteral("--overview");
    if (overview)
        arguments.removeFirst();

    CBrenlowApp app;
    if (!app.InitInstance(arguments.join(QLatin1Char(' '))))
        return 1;
    if (overview) {
        // As big as a full-HD floor monitor, the worst case: the most tiles
        // in view, every one of them repainted each second.
        app.GetMainFrame()->ShowOverview();
        app.GetMainFrame()->Overview()->resize(1920, 1080);
    }
    const int result = QApplication::exec();
    SetMessages(nullptr);
    return result;
}
