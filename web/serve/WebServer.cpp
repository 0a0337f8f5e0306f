#include "WebServer.h"

#include "Floor.h"
#include "PanelSession.h"

#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QWebSocket>

namespace {

// "host[:port]" of a Host header, the port 80 when not given.
bool SplitHost(const QByteArray &text, QString *host, int *port)
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setAuthority(QString::fromLatin1(text), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty())
        return false;
    *host = url.host().toLower();
    *port = url.port(80);
    return true;
}

// A page from elsewhere must not read the floor through a visitor's
// browser: an Origin, when given, names the same host and port as Host.
bool SameOrigin(const HttpRequest &request)
{
    const QByteArray origin = request.Header("origin");
    if (origin.isEmpty())
        return true;
    QString host;
    int port = 0;
    if (!SplitHost(request.Header("host"), &host, &port))
        return false;
    const QUrl url(QString::fromLatin1(origin), QUrl::StrictMode);
    const int defaultPort = url.scheme() == QLatin1String("https") ? 443 : 80;
    return url.isValid() && url.host().toLower() == host && url.port(defaultPort) == port;
}

} // namespace

WebServer::WebServer(Floor &floor, QObject *parent)
    : QObject(parent),
      m_floor(floor),
      m_routes(floor),
      m_webSockets(QStringLiteral("brenlow-web"), QWebSocketServer::NonSecureMode)
{
    m_server.setMaxPendingConnections(64);
    connect(&m_server, &QTcpServer::newConnection, this, &WebServer::OnNewConnection);
    connect(&m_webSockets, &QWebSocketServer::newConnection, this, &WebServer::OnWebSocketReady);
}

WebServer::~WebServer()
{
    // The sessions watch the floor, which outlives this server.
    qDeleteAll(m_sessions);
    qDeleteAll(m_connections);
}

bool WebServer::Listen(const QHostAddress &address, quint16 port, QString *error, bool *inUse)
{
    if (m_server.listen(address, port)) {
        *inUse = false;
        return true;
    }
    *inUse = m_server.serverError() == QAbstractSocket::AddressInUseError;
    *error = m_server.errorString();
    return false;
}

int WebServer::WebClients() const
{
    int handshakes = 0;
    for (const auto &socket : m_handshakes)
        handshakes += socket && socket->state() == QAbstractSocket::ConnectedState ? 1 : 0;
    return m_sessions.size() + handshakes;
}

void WebServer::OnNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_connections.size() >= kMostHttpConnections) {
            // Full: one short answer, then the connection goes.
            socket->write(HttpResponse::Text(503, "too many connections").Serialize(true, true));
            socket->disconnectFromHost();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QTimer::singleShot(HttpConnection::kIdleMs, socket, [socket] { socket->abort(); });
            continue;
        }
        // Panel updates are small messages that must not wait for the
        // browser's acknowledgement of the previous one.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        auto *connection = new HttpConnection(socket, this, this);
        socket->setParent(connection);
        m_connections.insert(connection);
        connect(connection, &HttpConnection::Finished, this, [this](HttpConnection *finished) {
            m_connections.remove(finished);
            finished->deleteLater();
        });
    }
}

HttpResponse WebServer::Answer(const HttpRequest &request)
{
    return m_routes.Answer(request, WebClients());
}

bool WebServer::TakeWebSocket(QTcpSocket *socket, const HttpRequest &request, HttpResponse *refusal)
{
    if (request.path != "/ws" || request.method != "GET"
        || request.Header("upgrade").toLower() != "websocket") {
        *refusal = HttpResponse::Text(400, "only /ws takes an upgrade, to websocket");
        return false;
    }
    if (!SameOrigin(request)) {
        *refusal = HttpResponse::Text(403, "the page comes from another host");
        return false;
    }
    m_handshakes.removeAll(nullptr);
    if (WebClients() >= kMostWebSockets) {
        *refusal = HttpResponse::Text(503, "too many browsers connected");
        return false;
    }
    // Qt reads the handshake from the socket itself, with no limit of its own.
    socket->setReadBufferSize(0);
    socket->setParent(this);
    m_handshakes.append(socket);
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        // A handshake that failed; an upgraded socket belongs to its
        // WebSocket from then on.
        if (m_handshakes.contains(socket)) {
            m_handshakes.removeAll(socket);
            socket->deleteLater();
        }
    });
    m_webSockets.handleConnection(socket);
    return true;
}

void WebServer::OnWebSocketReady()
{
    while (QWebSocket *socket = m_webSockets.nextPendingConnection()) {
        auto *session = new PanelSession(socket, m_floor, this);
        // The WebSocket works on the handed socket without owning it: the
        // session does, and deletes it after the WebSocket (its children go
        // in the order they came). Found by the browser's end of it.
        for (int i = m_handshakes.size() - 1; i >= 0; --i) {
            QTcpSocket *handshake = m_handshakes[i];
            if (handshake && handshake->peerAddress() == socket->peerAddress()
                && handshake->peerPort() == socket->peerPort())
                handshake->setParent(session);
            if (!handshake || handshake->parent() == session)
                m_handshakes.removeAt(i);
        }
        m_sessions.insert(session);
        connect(session, &PanelSession::Closed, this, [this](PanelSession *closed) {
            m_sessions.remove(closed);
            closed->deleteLater();
        });
    }
}
