#include "SnapOptions.h"

#include "PanelSnapshot.h"
#include "ProgramVersions.h"

#include <QCommandLineParser>

namespace {

bool ReadNumber(const QCommandLineParser &parser, const QCommandLineOption &option, double min, double max,
                double *value, QString *message)
{
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    const QString text = parser.value(option);
    const double number = text.toDouble(&ok);
    if (!ok || !(number >= min && number <= max)) {
        *message = QStringLiteral("--%1: expected a number from %2 to %3, got \"%4\"")
                       .arg(option.names().constLast())
                       .arg(min)
                       .arg(max)
                       .arg(text);
        return false;
    }
    *value = number;
    return true;
}

bool ReadWhole(const QCommandLineParser &parser, const QCommandLineOption &option, int min, int max, int *value,
               QString *message)
{
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    const QString text = parser.value(option);
    const int number = text.toInt(&ok);
    if (!ok || number < min || number > max) {
        *message = QStringLiteral("--%1: expected a whole number from %2 to %3, got \"%4\"")
                       .arg(option.names().constLast())
                       .arg(min)
                       .arg(max)
                       .arg(text);
        return false;
    }
    *value = number;
    return true;
}

} // namespace

SnapParse ParseSnapOptions(const QStringList &arguments, SnapOptions *options, QString *message)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Saves a machine controller's display panel as a PNG picture, at its native\n"
        "size (240 x 128 or 320 x 240) and in the colours the Brenlow console paints,\n"
        "and can record the controller's screen stream for ctrlsim --replay."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version."));
    const QCommandLineOption scale(QStringLiteral("scale"),
        QStringLiteral("Each panel pixel becomes an N x N square, 1 to 8 (default 1)."), QStringLiteral("N"));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
        QStringLiteral("Seconds to wait for the connection and a whole panel (default 5)."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption record(QStringLiteral("record"),
        QStringLiteral("Also record every byte the controller sends, with its arrival time."),
        QStringLiteral("FILE"));
    const QCommandLineOption seconds(QStringLiteral("seconds"),
        QStringLiteral("How long to record; the picture is of the panel at the end."), QStringLiteral("S"));
    const QCommandLineOption port(QStringLiteral("port"),
        QStringLiteral("Screen service port (default 16721)."), QStringLiteral("P"));
    parser.addOptions({help, version, scale, timeout, record, seconds, port});
    parser.addPositionalArgument(QStringLiteral("ADDRESS"), QStringLiteral("The controller's address or host name."));
    parser.addPositionalArgument(QStringLiteral("OUTPUT.png"),
                                 QStringLiteral("The picture to write (optional with --record)."));

    if (!parser.parse(arguments)) {
        *message = parser.errorText();
        return SnapParse::Error;
    }
    if (parser.isSet(help)) {
        *message = parser.helpText();
        return SnapParse::Help;
    }
    if (parser.isSet(version)) {
        *message = QStringLiteral("brenlow-snap ") + QLatin1String(ProgramVersions::kSnapshot);
        return SnapParse::Version;
    }

    SnapOptions result;
    const QStringList positional = parser.positionalArguments();
    result.recordFile = parser.value(record);
    const bool recording = parser.isSet(record);
    if (positional.size() > 2 || positional.isEmpty() || (positional.size() == 1 && !recording)) {
        *message = positional.size() > 2 ? QStringLiteral("unexpected argument \"%1\"").arg(positional.at(2))
                                         : QStringLiteral("expected ADDRESS and OUTPUT.png");
        return SnapParse::Error;
    }
    result.address = positional.at(0).trimmed();
    if (result.address.isEmpty()) {
        *message = QStringLiteral("the address is empty");
        return SnapParse::Error;
    }
    if (positional.size() == 2)
        result.output = positional.at(1);
    if (recording && result.recordFile.isEmpty()) {
        *message = QStringLiteral("--record: the file name is empty");
        return SnapParse::Error;
    }
    if (recording != parser.isSet(seconds)) {
        *message = QStringLiteral("--record and --seconds go together");
        return SnapParse::Error;
    }
    int portNumber = result.port;
    if (!ReadWhole(parser, scale, PanelSnapshot::kMinScale, PanelSnapshot::kMaxScale, &result.scale, message)
        || !ReadNumber(parser, timeout, 0.1, 3600, &result.timeoutSeconds, message)
        || !ReadNumber(parser, seconds, 0.1, 86400, &result.recordSeconds, message)
        || !ReadWhole(parser, port, 1, 65535, &portNumber, message))
        return SnapParse::Error;
    result.port = quint16(portNumber);
    *options = result;
    return SnapParse::Run;
}
