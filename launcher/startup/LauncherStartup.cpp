#include "LauncherStartup.h"

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

    int exitCode = 0;
    {
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
            return QApplication::exec();
        case StartRequest::Mode::Intro: {
            ProcProcessList processes;
            const auto windows = createSessionDesktopWindows();
            if (activateMainProgram(processes, *windows))
                return 0;
            break;
        }
        }

        player.initPlayer(QCoreApplication::applicationDirPath() + QLatin1Char('/') + introFile);
        exitCode = QApplication::exec();
    }
    return exitCode;
}
