#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>

class ControllerLink;
class Floor;

// What the daemon tells about the floor, for the browsers (JSON) and for
// monitoring (Prometheus text exposition).
namespace FloorReports {

QJsonObject ControllerJson(const ControllerLink &link, qint64 nowMs);
QJsonArray ControllersJson(const Floor &floor, qint64 nowMs);
QByteArray MetricsText(const Floor &floor, int webClients, qint64 nowMs);

} // namespace FloorReports
