// brenlow-web: the live panels and states of a plant's machine controllers,
// served to its browsers. No display needed.
#include "Floor.h"
#include "KprotChannel.h"
#include "WebOptions.h"
#include "WebServer.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brenlow-web"));

    WebOptions options;
    QString message;
    switch (ParseWebOptions(QCoreApplication::arguments(), &options, &message)) {
    case WebParse::Run:
        break;
    case WebParse::Help:
    case WebParse::Version:
        std::printf("%s\n", qPrintable(message));
        return 0;
    case WebParse::Error:
        std::fprintf(stderr, "brenlow-web: %s (see brenlow-web --help)\n", qPrintable(message));
        return kWebExitFailure;
    }

    QStringList addresses;
    if (!ReadChannelList(options.channelList, &addresses, &message)) {
        std::fprintf(stderr, "brenlow-web: %s\n", qPrintable(message));
        return kWebExitFailure;
    }

    if (addresses.isEmpty())
        std::fprintf(stderr, "brenlow-web: the channel list %s names no controller yet\n",
                     qPrintable(options.channelList));
    Floor floor(addresses, SCREEN_PORT);
    if (!options.eventLogFile.isEmpty() && !floor.Events().OpenFile(options.eventLogFile, &message)) {
        std::fprintf(stderr, "brenlow-web: cannot write the event log %s: %s\n", qPrintable(options.eventLogFile),
                     qPrintable(message));
        return kWebExitFailure;
    }
    WebServer server(floor);
    bool inUse = false;
    if (!server.Listen(options.listenAddress, options.listenPort, &message, &inUse)) {
        std::fprintf(stderr, "brenlow-web: cannot serve on %s:%u: %s\n", qPrintable(options.listenAddress.toString()),
                     unsigned(options.listenPort), qPrintable(message));
        return inUse ? kWebExitPortInUse : kWebExitFailure;
    }
    std::fprintf(stderr, "brenlow-web: serving http://%s:%u/ (controllers: %d)\n",
                 qPrintable(options.listenAddress.toString()), unsigned(server.Port()), floor.Count());
    std::fflush(stderr);
    floor.Start();
    return app.exec();
}
