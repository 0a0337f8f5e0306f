#include "LauncherStartup.h"

#include "BoundedExit.h"
#include "DesktopWindows.h"
#include "MainProgramCheck.h"
#include "ProcessList.h"
#include "SingleInstanceGuard.h"
#include "StartArguments.h"
#include "TerminationSignals.h"
#include "player/MediaPlayer.h"
#include "records/QProject.h"

#include <QApplication>
#include <QLocale>

#include <memory>

void initLauncherResources()
{
    Q_INIT_RESOURCE(QuorvelEnv);
#ifdef QUORVELENV_TRANSLATIONS
    Q_INIT_RESOURCE(launcher_translations);
#endif
}

int runLauncher(int argc, char **argv)
{
    // A second launcher ends here, before any window or cursor change.
    auto guard = std::make_unique<SingleInstanceGuard>();
    if (!guard->acquire())
        return 0;

    // Destroyed last, once everything below has wound down: from then on
    // exit() runs its handlers as usual.
    struct OrderlyReturn
    {
        ~OrderlyReturn() { BoundedExit::allowOrderlyExit(); }
    } orderlyReturn;

    QApplication application(argc, argv);
    initLauncherResources();
    TerminationSignals terminationSignals(&application);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::setApplicationName(QStringLiteral("QuorvelEnv"));
    QCoreApplication::setOrganizationName(QStringLiteral("Vrandel S.p.a."));
    QApplication::setQuitOnLastWindowClosed(true);

    QString introFile = QStringLiteral("introQuorvel.avi");
    MediaPlayer player(false);
    QProject project(nullptr);
    // The media back end is loaded now: an exit() on a lost display, from
    // any thread, ends the process before the back end's teardown.
    BoundedExit::endAbruptExitsAtOnce();

    // When the loop ends the lock goes first: the player and the back end
    // may take their time to wind down, and a new launcher may start
    // meanwhile. The whole way out is bounded.
    const auto runEventLoop = [&guard] {
        const int result = QApplication::exec();
        BoundedExit::armDeadline();
        guard.reset();
        return result;
    };

    const StartRequest request = parseStartArguments(argc, argv);
    switch (request.mode) {
    case StartRequest::Mode::SkipIntro:
        introFile = QStringLiteral("skip.avi");
        break;
    case StartRequest::Mode::Project:
        // No window is ever shown on this road: the launcher ends once the
        // project's program is on its way, or at once when it cannot be.
        if (!project.openProjectFile(request.projectPath) || !project.startProjectProgram())
            return 0;
        return runEventLoop();
    case StartRequest::Mode::Intro: {
        ProcProcessList processes;
        const auto windows = createSessionDesktopWindows();
        if (activateMainProgram(processes, *windows))
            return 0;
        break;
    }
    }

    player.initPlayer(QCoreApplication::applicationDirPath() + QLatin1Char('/') + introFile);
    return runEventLoop();
}
