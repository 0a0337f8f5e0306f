#include "ProgramEntry.h"
#include "ProgramVersions.h"
#include "startup/LauncherStartup.h"

namespace {

ProgramDescription launcherDescription()
{
    ProgramDescription program;
    program.name = QStringLiteral("QuorvelEnv");
    program.version = QLatin1String(ProgramVersions::kLauncher);
    program.summary = QStringLiteral("Quorvel environment launcher: plays the intro, then offers the machines\n"
                                     "configured on this PC; with a project file it starts that project's\n"
                                     "machine program.");
    program.argumentName = QStringLiteral("NOINTRO|project");
    program.argumentHelp = QStringLiteral("NOINTRO plays skip.avi in place of the intro; any other first\n"
                                          "argument is the path of a project file (.qvl).");
    program.argumentSyntax = QStringLiteral("[NOINTRO | project.qvl]");
    return program;
}

} // namespace

int main(int argc, char **argv)
{
    // Answered before the single-instance lock: asking a version never
    // stops, or is stopped by, a running launcher.
    if (printStandaloneOption(argc, argv, launcherDescription()))
        return 0;
    return runLauncher(argc, argv);
}
