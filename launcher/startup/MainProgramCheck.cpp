#include "MainProgramCheck.h"

#include "DesktopWindows.h"
#include "ProcessList.h"

#include <QStringList>

namespace {

// Windows names carry ".exe"; on Linux the same programs may run with or
// without it (native build, or under an emulation layer).
bool hasProgramName(const QString &processName, const QString &program)
{
    return processName.compare(program, Qt::CaseInsensitive) == 0
        || processName.compare(program + QStringLiteral(".exe"), Qt::CaseInsensitive) == 0;
}

bool isProjectWindowTitle(const QString &title)
{
    // Window titles are read up to 199 characters, as the main program's
    // window manager integration does on the platform it comes from.
    const QString shown = title.left(199);
    return shown.contains(QStringLiteral(".qvl")) || shown.contains(QStringLiteral("QUORVEL/"));
}

} // namespace

bool activateMainProgram(const ProcessList &processes, DesktopWindows &windows)
{
    qint64 launcherId = 0;
    qint64 mainId = 0;
    const QVector<ProcessEntry> entries = processes.processes();
    for (const ProcessEntry &entry : entries) {
        if (hasProgramName(entry.name, QStringLiteral("QuorvelEnv")))
            launcherId = entry.pid;
        else if (hasProgramName(entry.name, QStringLiteral("Quorvel")))
            mainId = entry.pid;
        if (launcherId != 0 && mainId != 0)
            break;
    }
    if (launcherId == 0 || mainId == 0)
        return false;

    const DesktopWindow *target = nullptr;
    const DesktopWindow *own = nullptr;
    const QVector<DesktopWindow> stack = windows.topDown();
    for (const DesktopWindow &window : stack) {
        if (window.pid == mainId) {
            if (isProjectWindowTitle(window.title))
                target = &window;
        } else if (window.pid == launcherId) {
            own = &window;
        }
        if (target && own)
            break;
    }
    if (target && own)
        windows.raise(*target, *own);
    return true;
}
