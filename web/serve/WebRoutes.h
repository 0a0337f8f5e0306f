#pragma once

#include "HttpResponse.h"

class Floor;
struct HttpRequest;

// The answers of the daemon's plain HTTP requests: the page (built into the
// program; nothing is read from disk), the controllers and the events as
// JSON, the metrics, and the panels as PNG pictures.
class WebRoutes
{
public:
    explicit WebRoutes(const Floor &floor);

    HttpResponse Answer(const HttpRequest &request, int webClients) const;

private:
    HttpResponse Snapshot(const QByteArray &name, const HttpRequest &request) const;
    HttpResponse Events(const HttpRequest &request) const;

    const Floor &m_floor;
};
