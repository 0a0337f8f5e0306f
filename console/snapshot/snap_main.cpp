// brenlow-snap: a machine controller's display panel as a PNG picture, and a
// recording of its screen stream, from the command line. No display needed.
#include "SnapClient.h"
#include "SnapOptions.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brenlow-snap"));

    SnapOptions options;
    QString message;
    switch (ParseSnapOptions(QCoreApplication::arguments(), &options, &message)) {
    case SnapParse::Run:
        break;
    case SnapParse::Help:
    case SnapParse::Version:
        std::printf("%s\n", qPrintable(message));
        return kSnapOk;
    case SnapParse::Error:
        std::fprintf(stderr, "brenlow-snap: %s (see brenlow-snap --help)\n", qPrintable(message));
        return kSnapBadArguments;
    }

    SnapClient client(options);
    int exitCode = kSnapOk;
    QObject::connect(&client, &SnapClient::Finished, &app, [&](int code, const QString &text) {
        exitCode = code;
        if (!text.isEmpty())
            std::fprintf(stderr, "brenlow-snap: %s\n", qPrintable(text));
        QCoreApplication::exit(code);
    });
    // Started from the event loop, so a failure at once still ends it.
    QMetaObject::invokeMethod(&client, &SnapClient::Start, Qt::QueuedConnection);
    app.exec();
    return exitCode;
}
