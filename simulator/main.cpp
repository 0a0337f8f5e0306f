// ctrlsim: a simulated knitting-machine controller on loopback, for console
// tests, demos and training. See README.md beside this file.
#include "ControllerServer.h"
#include "SimOptions.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    // A console or log reader that goes away must not kill the controller.
    std::signal(SIGPIPE, SIG_IGN);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ctrlsim"));

    SimOptions options;
    QString message;
    switch (ParseSimOptions(QCoreApplication::arguments(), &options, &message)) {
    case ParseOutcome::Run:
        break;
    case ParseOutcome::Help:
    case ParseOutcome::Version:
        std::printf("%s\n", qPrintable(message));
        return 0;
    case ParseOutcome::Error:
        std::fprintf(stderr, "ctrlsim: %s\nTry 'ctrlsim --help'.\n", qPrintable(message));
        return kExitBadCommandLine;
    }

    ControllerServer controller(options);
    int exitCode = 0;
    if (!controller.Start(&message, &exitCode)) {
        std::fprintf(stderr, "ctrlsim: %s\n", qPrintable(message));
        return exitCode;
    }

    // Tests and scripts wait for this line before they connect.
    std::printf("READY %s %u %u\n", qPrintable(options.address.toString()), unsigned(controller.ScreenPort()),
                unsigned(controller.StatsPort()));
    std::fflush(stdout);
    return app.exec();
}
