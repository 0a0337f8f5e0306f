#include "WebRoutes.h"

#include "Floor.h"
#include "FloorReports.h"
#include "HttpRequestParser.h"
#include "PanelSnapshot.h"

#include <QFile>
#include <QJsonDocument>

// The page's files live in the program's resources (page.qrc).
static void InitPageResources()
{
    Q_INIT_RESOURCE(page);
}

namespace {

struct PageFile
{
    const char *path;
    const char *resource;
    const char *contentType;
};

// The only files served: a fixed table, so no request path can name
// anything else.
constexpr PageFile kPageFiles[] = {
    {"/", ":/page/index.html", "text/html; charset=utf-8"},
    {"/index.html", ":/page/index.html", "text/html; charset=utf-8"},
    {"/app.js", ":/page/app.js", "text/javascript; charset=utf-8"},
    {"/style.css", ":/page/style.css", "text/css; charset=utf-8"},
};

HttpResponse Json(const QJsonDocument &document)
{
    HttpResponse response;
    response.contentType = "application/json";
    response.body = document.toJson(QJsonDocument::Compact);
    response.AddHeader("Cache-Control", "no-store");
    return response;
}

} // namespace

WebRoutes::WebRoutes(const Floor &floor)
    : m_floor(floor)
{
    InitPageResources();
}

HttpResponse WebRoutes::Answer(const HttpRequest &request, int webClients) const
{
    const QByteArray &path = request.path;
    for (const PageFile &file : kPageFiles) {
        if (path != file.path)
            continue;
        QFile resource(QString::fromLatin1(file.resource));
        if (!resource.open(QIODevice::ReadOnly))
            return HttpResponse::Text(500, "page missing from the program");
        HttpResponse response;
        response.contentType = file.contentType;
        response.body = resource.readAll();
        // Everything comes from this daemon; nothing may be fetched elsewhere.
        response.AddHeader("Content-Security-Policy",
                                 "default-src 'self'; connect-src 'self'; img-src 'self' data:; "
                                 "frame-ancestors 'none'");
        response.AddHeader("Cache-Control", "no-cache");
        return response;
    }
    const qint64 now = SteadyMs();
    if (path == "/api/controllers")
        return Json(QJsonDocument(FloorReports::ControllersJson(m_floor, now)));
    if (path == "/api/events")
        return Events(request);
    if (path == "/metrics") {
        HttpResponse response;
        response.contentType = "text/plain; version=0.0.4; charset=utf-8";
        response.body = FloorReports::MetricsText(m_floor, webClients, now);
        return response;
    }
    if (path.startsWith("/snapshot/") && path.endsWith(".png"))
        return Snapshot(path.mid(10, path.size() - 14), request);
    if (path == "/ws")
        return HttpResponse::Text(426, "WebSocket only");
    return HttpResponse::Text(404, "not found");
}

HttpResponse WebRoutes::Snapshot(const QByteArray &name, const HttpRequest &request) const
{
    const int index = m_floor.IndexOf(QString::fromUtf8(name));
    if (index < 0)
        return HttpResponse::Text(404, "no such controller");
    int scale = 1;
    const QByteArray scaleText = request.QueryValue("scale");
    if (!scaleText.isEmpty()) {
        bool ok = false;
        scale = scaleText.toInt(&ok);
        if (!ok || scale < PanelSnapshot::kMinScale || scale > PanelSnapshot::kMaxScale)
            return HttpResponse::Text(400, "scale: a whole number from 1 to 8");
    }
    const ControllerLink &link = m_floor.Link(index);
    if (!link.HasWholePanel())
        return HttpResponse::Text(503, "no whole panel yet");
    HttpResponse response;
    response.contentType = "image/png";
    response.body = PanelSnapshot::PngBytes(PanelSnapshot::PanelImage(link.Picture(), scale));
    response.AddHeader("Cache-Control", "no-store");
    if (response.body.isEmpty())
        return HttpResponse::Text(500, "the picture could not be made");
    return response;
}

HttpResponse WebRoutes::Events(const HttpRequest &request) const
{
    quint64 since = 0;
    const QByteArray sinceText = request.QueryValue("since");
    if (!sinceText.isEmpty()) {
        bool ok = false;
        since = sinceText.toULongLong(&ok);
        if (!ok)
            return HttpResponse::Text(400, "since: a whole number");
    }
    const QJsonObject body{
        {QStringLiteral("last"), double(m_floor.Events().LastSequence())},
        {QStringLiteral("events"), m_floor.Events().After(since)},
    };
    return Json(QJsonDocument(body));
}
