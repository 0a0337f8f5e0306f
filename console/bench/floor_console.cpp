// The console as the floor benchmark runs it: Brenlow's own start-up on a
// channel list, with the floor overview opened at once when the first
// argument is --overview. The benchmark measures this process beside the
// plain console to give the overview's own share.
//
// Once every screen window has been shown with its first image, it prints
// "SHOWN n windows, p s of processor": the cost of opening the list, and
// the moment the floor's steady state begins.
#include "BrenlowApp.h"
#include "ChildFrame.h"
#include "FloorOverview.h"
#include "MainFrame.h"
#include "SystemTexts.h"
#include "WidgetMessages.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <ctime>

namespace {

double ProcessorSeconds()
{
    timespec used{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return double(used.tv_sec) + double(used.tv_nsec) / 1e9;
}

// Prints the line once, at the first timed repaint after which no screen
// window is still waiting for its first image.
void ReportWhenAllShown(CMainFrame *mainFrame)
{
    QObject::connect(mainFrame, &CMainFrame::ScreensRefreshed, mainFrame, [mainFrame] {
        static bool reported = false;
        const auto windows = mainFrame->ScreenWindows();
        if (reported || windows.isEmpty())
            return;
        for (const CChildFrame *window : windows) {
            if (!window->isVisible())
                return;
        }
        reported = true;
        std::printf("SHOWN %d windows, %.3f s of processor\n", int(windows.size()), ProcessorSeconds());
        std::fflush(stdout);
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brenlow"));
    installItalianSystemTexts(&application);

    WidgetMessages messages;
    SetMessages(&messages);

    QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool overview = !arguments.isEmpty() && arguments.first() == QStringLiteral("--overview");
    if (overview)
        arguments.removeFirst();

    CBrenlowApp app;
    if (!app.InitInstance(arguments.join(QLatin1Char(' '))))
        return 1;
    ReportWhenAllShown(app.GetMainFrame());
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
