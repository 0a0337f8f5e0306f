// Helper for the single-instance tests: takes the launcher lock under the key
// given as first argument, says "held" or "refused" on standard output, and
// keeps the lock until its standard input closes or it is killed.
#include "startup/SingleInstanceGuard.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2)
        return 2;
    SingleInstanceGuard guard(arguments.at(1));
    const bool held = guard.acquire();
    std::fputs(held ? "held\n" : "refused\n", stdout);
    std::fflush(stdout);
    if (!held)
        return 1;
    char buffer[16];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
    }
    return 0;
}
