#include "FloorReports.h"

#include "Floor.h"

namespace FloorReports {

namespace {

QByteArray LabelValue(const QString &text)
{
    QByteArray out;
    for (const char c : text.toUtf8()) {
        if (c == '\\' || c == '"')
            out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out;
}

// One metric family: its help, its type and one sample per controller.
template <typename Value>
void Family(QByteArray &out, const Floor &floor, const char *name, const char *type, const char *help,
            Value value)
{
    out += QByteArray("# HELP ") + name + ' ' + help + "\n# TYPE " + name + ' ' + type + '\n';
    for (int i = 0; i < floor.Count(); ++i) {
        const ControllerLink &link = floor.Link(i);
        out += QByteArray(name) + "{address=\"" + LabelValue(link.Address()) + "\"} " + value(link) + '\n';
    }
}

} // namespace

QJsonObject ControllerJson(const ControllerLink &link, qint64 nowMs)
{
    const QString format = link.FormatName();
    const QSize size = PanelUnits::PanelSize(link.Family());
    const qint64 age = link.LastBlockAgeMs(nowMs);
    return QJsonObject{
        {QStringLiteral("index"), link.Index()},
        {QStringLiteral("address"), link.Address()},
        {QStringLiteral("state"), StateName(link.State())},
        {QStringLiteral("text"), link.StateTextAt(nowMs)},
        {QStringLiteral("reason"), link.Reason()},
        {QStringLiteral("since"), IsoLocalTime(link.Since())},
        {QStringLiteral("lastBlockAgeMs"), age < 0 ? QJsonValue() : QJsonValue(double(age))},
        {QStringLiteral("format"), format.isEmpty() ? QJsonValue() : QJsonValue(format)},
        {QStringLiteral("width"), size.isEmpty() ? QJsonValue() : QJsonValue(size.width())},
        {QStringLiteral("height"), size.isEmpty() ? QJsonValue() : QJsonValue(size.height())},
        {QStringLiteral("bytes"), double(link.BytesReceived())},
        {QStringLiteral("blocks"), double(link.Blocks())},
        {QStringLiteral("reconnects"), double(link.Reconnects())},
        {QStringLiteral("whole"), link.HasWholePanel()},
    };
}

QJsonArray ControllersJson(const Floor &floor, qint64 nowMs)
{
    QJsonArray out;
    for (int i = 0; i < floor.Count(); ++i)
        out.append(ControllerJson(floor.Link(i), nowMs));
    return out;
}

QByteArray MetricsText(const Floor &floor, int webClients, qint64 nowMs)
{
    QByteArray out;
    Family(out, floor, "brenlow_controller_up", "gauge",
           "1 while the controller is on line (a block within the last 5 s), else 0.",
           [](const ControllerLink &link) { return QByteArray(link.State() == LinkState::Online ? "1" : "0"); });
    Family(out, floor, "brenlow_controller_last_block_age_seconds", "gauge",
           "Seconds since the last screen block (NaN before the first).", [nowMs](const ControllerLink &link) {
               const qint64 age = link.LastBlockAgeMs(nowMs);
               return age < 0 ? QByteArray("NaN") : QByteArray::number(double(age) / 1000.0, 'f', 3);
           });
    Family(out, floor, "brenlow_controller_bytes_received_total", "counter",
           "Bytes received from the controller's screen service.",
           [](const ControllerLink &link) { return QByteArray::number(link.BytesReceived()); });
    Family(out, floor, "brenlow_controller_blocks_total", "counter", "Screen blocks decoded.",
           [](const ControllerLink &link) { return QByteArray::number(link.Blocks()); });
    Family(out, floor, "brenlow_controller_reconnects_total", "counter",
           "Attempts to connect again after the first.",
           [](const ControllerLink &link) { return QByteArray::number(link.Reconnects()); });
    out += "# HELP brenlow_web_clients Open WebSocket connections of browsers.\n"
           "# TYPE brenlow_web_clients gauge\n"
           "brenlow_web_clients " + QByteArray::number(webClients) + '\n';
    return out;
}

} // namespace FloorReports
