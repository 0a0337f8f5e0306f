#include "SimOptions.h"

#include "ProgramVersions.h"

#include <QCommandLineParser>
#include <limits>

namespace {

bool ParseNumber(const QCommandLineParser &parser, const QCommandLineOption &option,
                 qint64 min, qint64 max, qint64 *value, QString *message)
{
    if (!parser.isSet(option))
        return true;
    const QString text = parser.value(option);
    bool ok = false;
    const qint64 number = text.toLongLong(&ok, 10);
    if (!ok || number < min || number > max) {
        *message = QStringLiteral("--%1: expected a whole number from %2 to %3, got \"%4\"")
                       .arg(option.names().constFirst())
                       .arg(min)
                       .arg(max)
                       .arg(text);
        return false;
    }
    *value = number;
    return true;
}

template <typename T>
bool ReadNumber(const QCommandLineParser &parser, const QCommandLineOption &option,
                qint64 min, qint64 max, T *target, QString *message)
{
    qint64 value = qint64(*target);
    if (!ParseNumber(parser, option, min, max, &value, message))
        return false;
    *target = T(value);
    return true;
}

} // namespace

bool IsLoopbackV4(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 && (v4 >> 24) == 127;
}

ParseOutcome ParseSimOptions(const QStringList &arguments, SimOptions *options, QString *message)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated knitting-machine controller: serves a display panel, takes key\n"
        "messages and pushes network statistics, for consoles to test against."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version."));
    const QCommandLineOption address(QStringLiteral("address"),
        QStringLiteral("Listen address, default 127.0.0.1; must be in 127.0.0.0/8."), QStringLiteral("A"));
    const QCommandLineOption allowAny(QStringLiteral("allow-any-address"),
        QStringLiteral("Accept a listen address outside 127.0.0.0/8."));
    const QCommandLineOption format(QStringLiteral("format"),
        QStringLiteral("Panel format: mono (240x128 bands), raw or rle (320x240 colour lines)."),
        QStringLiteral("mono|raw|rle"));
    const QCommandLineOption layout(QStringLiteral("layout"),
        QStringLiteral("Keypad layout announced in every block, 0, 1 or 2."), QStringLiteral("0|1|2"));
    const QCommandLineOption chip(QStringLiteral("chip"),
        QStringLiteral("Ethernet chip id in the statistics records, default 9 (LAN91C110)."), QStringLiteral("ID"));
    const QCommandLineOption revision(QStringLiteral("revision"),
        QStringLiteral("Chip revision in the statistics records, default 0."), QStringLiteral("R"));
    const QCommandLineOption rate(QStringLiteral("rate-ms"),
        QStringLiteral("Panel update period in ms, default 1000."), QStringLiteral("N"));
    const QCommandLineOption statsRate(QStringLiteral("stats-ms"),
        QStringLiteral("Statistics record period in ms, default 1000."), QStringLiteral("N"));
    const QCommandLineOption keyLog(QStringLiteral("key-log"),
        QStringLiteral("Append key messages to FILE; \"-\" or absent: standard output."), QStringLiteral("FILE"));
    const QCommandLineOption screenPort(QStringLiteral("screen-port"),
        QStringLiteral("Screen service port, default 16721; 0 picks a free one."), QStringLiteral("P"));
    const QCommandLineOption statsPort(QStringLiteral("stats-port"),
        QStringLiteral("Statistics service port, default 16737; 0 picks a free one."), QStringLiteral("P"));
    const QCommandLineOption split(QStringLiteral("split-writes"),
        QStringLiteral("Write every unit in pieces of random size, down to one byte."));
    const QCommandLineOption seed(QStringLiteral("seed"),
        QStringLiteral("Seed of the random piece sizes and fault bytes, default 1."), QStringLiteral("S"));
    const QCommandLineOption invalidKind(QStringLiteral("invalid-kind-after"),
        QStringLiteral("After N blocks on a screen connection, send one invalid kind byte."), QStringLiteral("N"));
    const QCommandLineOption badLine(QStringLiteral("bad-line-after"),
        QStringLiteral("After N blocks, send one block with an out-of-range band or line."), QStringLiteral("N"));
    const QCommandLineOption closeAfter(QStringLiteral("close-after"),
        QStringLiteral("Close each screen connection after N blocks."), QStringLiteral("N"));
    const QCommandLineOption resetAfter(QStringLiteral("reset-after"),
        QStringLiteral("Reset each screen connection (abortive close) after N blocks."), QStringLiteral("N"));
    const QCommandLineOption halfCloseAfter(QStringLiteral("half-close-after"),
        QStringLiteral("Shut down the sending side of each screen connection after N blocks; keys are still read."),
        QStringLiteral("N"));
    const QCommandLineOption trickle(QStringLiteral("trickle-ms"),
        QStringLiteral("Send every byte on its own, D ms apart, on both services."), QStringLiteral("D"));
    const QCommandLineOption stallAfter(QStringLiteral("stall-after"),
        QStringLiteral("Stop sending on a screen connection after N blocks; keys are still read."),
        QStringLiteral("N"));
    const QCommandLineOption flood(QStringLiteral("flood"),
        QStringLiteral("Stream changed lines continuously, as fast as each console reads."));
    const QCommandLineOption maxConnections(QStringLiteral("max-connections"),
        QStringLiteral("Consoles served at once per service, default 64."), QStringLiteral("N"));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
        QStringLiteral("No connection notes on standard error."));
    const QCommandLineOption replay(QStringLiteral("replay"),
        QStringLiteral("Serve a recording of a screen stream (brenlow-snap --record) instead of the panel."),
        QStringLiteral("FILE"));
    const QCommandLineOption replaySpeed(QStringLiteral("replay-speed"),
        QStringLiteral("Replay faster (2) or slower (0.5) than recorded, 0.01 to 100; default 1."),
        QStringLiteral("X"));
    const QCommandLineOption replayLoop(QStringLiteral("replay-loop"),
        QStringLiteral("Start the recording again when it ends."));

    parser.addOptions({help, version, address, allowAny, format, layout, chip, revision, rate, statsRate,
                       keyLog, screenPort, statsPort, split, seed, invalidKind, badLine, closeAfter,
                       resetAfter, halfCloseAfter, trickle, stallAfter, flood, maxConnections, quiet, replay,
                       replaySpeed, replayLoop});

    if (!parser.parse(arguments)) {
        *message = parser.errorText();
        return ParseOutcome::Error;
    }
    if (parser.isSet(help)) {
        *message = parser.helpText();
        return ParseOutcome::Help;
    }
    if (parser.isSet(version)) {
        *message = QStringLiteral("ctrlsim ") + QLatin1String(ProgramVersions::kSimulator);
        return ParseOutcome::Version;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *message = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst());
        return ParseOutcome::Error;
    }

    SimOptions result;
    result.allowAnyAddress = parser.isSet(allowAny);
    if (parser.isSet(address)) {
        const QString text = parser.value(address).trimmed();
        QHostAddress host;
        if (text == QLatin1String("localhost"))
            host = QHostAddress(QHostAddress::LocalHost);
        else if (!host.setAddress(text)) {
            *message = QStringLiteral("--address: \"%1\" is not a numeric IP address").arg(text);
            return ParseOutcome::Error;
        }
        bool isV4 = false;
        const quint32 v4 = host.toIPv4Address(&isV4);
        if (isV4)
            host = QHostAddress(v4);
        if (!result.allowAnyAddress && !IsLoopbackV4(host)) {
            *message = QStringLiteral("--address: %1 is outside 127.0.0.0/8; a simulated controller listens on "
                                      "loopback only (add --allow-any-address to override)")
                           .arg(text);
            return ParseOutcome::Error;
        }
        result.address = host;
    }
    if (parser.isSet(format) && !ParseFormatName(parser.value(format), &result.format)) {
        *message = QStringLiteral("--format: expected mono, raw or rle, got \"%1\"").arg(parser.value(format));
        return ParseOutcome::Error;
    }

    const qint64 intMax = std::numeric_limits<int>::max();
    const qint64 int32Min = std::numeric_limits<qint32>::min();
    const qint64 int32Max = std::numeric_limits<qint32>::max();
    if (!ReadNumber(parser, layout, 0, kKeypadLayoutCount - 1, &result.layout, message)
        || !ReadNumber(parser, chip, int32Min, int32Max, &result.chipId, message)
        || !ReadNumber(parser, revision, int32Min, int32Max, &result.revision, message)
        || !ReadNumber(parser, rate, 10, 3600000, &result.rateMs, message)
        || !ReadNumber(parser, statsRate, 10, 3600000, &result.statsMs, message)
        || !ReadNumber(parser, screenPort, 0, 65535, &result.screenPort, message)
        || !ReadNumber(parser, statsPort, 0, 65535, &result.statsPort, message)
        || !ReadNumber(parser, seed, 0, 0xFFFFFFFFLL, &result.seed, message)
        || !ReadNumber(parser, invalidKind, 0, intMax, &result.invalidKindAfter, message)
        || !ReadNumber(parser, badLine, 0, intMax, &result.badLineAfter, message)
        || !ReadNumber(parser, closeAfter, 0, intMax, &result.closeAfter, message)
        || !ReadNumber(parser, resetAfter, 0, intMax, &result.resetAfter, message)
        || !ReadNumber(parser, halfCloseAfter, 0, intMax, &result.halfCloseAfter, message)
        || !ReadNumber(parser, trickle, 0, 60000, &result.trickleMs, message)
        || !ReadNumber(parser, stallAfter, 0, intMax, &result.stallAfter, message)
        || !ReadNumber(parser, maxConnections, 1, 1024, &result.maxConnections, message))
        return ParseOutcome::Error;

    if (result.screenPort != 0 && result.screenPort == result.statsPort) {
        *message = QStringLiteral("--screen-port and --stats-port must differ");
        return ParseOutcome::Error;
    }
    result.keyLog = parser.value(keyLog);
    result.splitWrites = parser.isSet(split);
    result.flood = parser.isSet(flood);
    result.quiet = parser.isSet(quiet);
    result.replayFile = parser.value(replay);
    result.replayLoop = parser.isSet(replayLoop);
    if (parser.isSet(replay) && result.replayFile.isEmpty()) {
        *message = QStringLiteral("--replay: the file name is empty");
        return ParseOutcome::Error;
    }
    if (!parser.isSet(replay) && (parser.isSet(replaySpeed) || result.replayLoop)) {
        *message = QStringLiteral("--replay-speed and --replay-loop need --replay");
        return ParseOutcome::Error;
    }
    if (parser.isSet(replaySpeed)) {
        bool ok = false;
        const QString text = parser.value(replaySpeed);
        result.replaySpeed = text.toDouble(&ok);
        if (!ok || !(result.replaySpeed >= 0.01 && result.replaySpeed <= 100)) {
            *message = QStringLiteral("--replay-speed: expected a number from 0.01 to 100, got \"%1\"").arg(text);
            return ParseOutcome::Error;
        }
    }
    *options = result;
    return ParseOutcome::Run;
}
