#include "WebOptions.h"

#include "ChannelListFile.h"
#include "ProgramVersions.h"

#include <QCommandLineParser>
#include <QFile>

namespace {

// ADDRESS:PORT, the address IPv4 or a bracketed IPv6 one.
bool ParseListen(const QString &text, QHostAddress *address, quint16 *port)
{
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const uint number = text.mid(colon + 1).toUInt(&ok);
    if (!ok || number == 0 || number > 65535)
        return false;
    QHostAddress parsed;
    if (!parsed.setAddress(host))
        return false;
    *address = parsed;
    *port = quint16(number);
    return true;
}

} // namespace

WebParse ParseWebOptions(const QStringList &arguments, WebOptions *options, QString *message)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Serves the live display panel and the connection state of every machine\n"
        "controller in a channel list to the plant's browsers: a web page, JSON,\n"
        "Prometheus metrics and PNG pictures, on one port. Read-only: it sends the\n"
        "controllers nothing but the refresh request."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version."));
    const QCommandLineOption listen(QStringLiteral("listen"),
        QStringLiteral("Address and port to serve on (default 127.0.0.1:8716; give the LAN address to serve the LAN)."),
        QStringLiteral("ADDRESS:PORT"));
    const QCommandLineOption eventLog(QStringLiteral("event-log"),
        QStringLiteral("Also append every change of state to FILE, one line of JSON each."), QStringLiteral("FILE"));
    parser.addOptions({help, version, listen, eventLog});
    parser.addPositionalArgument(QStringLiteral("CHANNEL-LIST"),
                                 QStringLiteral("The controllers, one address a line, as for the console."));

    if (!parser.parse(arguments)) {
        *message = parser.errorText();
        return WebParse::Error;
    }
    if (parser.isSet(help)) {
        *message = parser.helpText().trimmed();
        return WebParse::Help;
    }
    if (parser.isSet(version)) {
        *message = QStringLiteral("brenlow-web %1").arg(QLatin1String(ProgramVersions::kWeb));
        return WebParse::Version;
    }
    if (parser.isSet(listen) && !ParseListen(parser.value(listen), &options->listenAddress, &options->listenPort)) {
        *message = QStringLiteral("--listen: expected ADDRESS:PORT, got \"%1\"").arg(parser.value(listen));
        return WebParse::Error;
    }
    options->eventLogFile = parser.value(eventLog);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        *message = positional.isEmpty() ? QStringLiteral("no channel list given")
                                        : QStringLiteral("one channel list only");
        return WebParse::Error;
    }
    options->channelList = positional.first();
    return WebParse::Run;
}

bool ReadChannelList(const QString &path, QStringList *addresses, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the channel list %1: %2").arg(path, file.errorString());
        return false;
    }
    // A channel list is a few lines; anything far larger is not one.
    constexpr qint64 kMostBytes = 1 << 20;
    const QByteArray content = file.read(kMostBytes + 1);
    if (content.size() > kMostBytes) {
        *error = QStringLiteral("the channel list %1 is larger than 1 MiB").arg(path);
        return false;
    }
    addresses->clear();
    for (const QString &line : SplitChannelListLines(content)) {
        const QString address = line.trimmed();
        if (!address.isEmpty() && !addresses->contains(address))
            addresses->append(address);
    }
    return true;
}
