#pragma once

#include "HttpConnection.h"
#include "WebRoutes.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTcpServer>
#include <QWebSocketServer>

class Floor;
class PanelSession;

// The daemon's one port: HTTP for the page, the JSON, the metrics and the
// pictures, and WebSocket on /ws, all on the program's one event loop.
class WebServer : public QObject, private HttpHandler
{
    Q_OBJECT
    Q_DISABLE_COPY(WebServer)

public:
    static constexpr int kMostWebSockets = 64;
    static constexpr int kMostHttpConnections = 256;

    explicit WebServer(Floor &floor, QObject *parent = nullptr);
    ~WebServer() override;

    // False with the reason; *inUse tells a port taken by another program.
    bool Listen(const QHostAddress &address, quint16 port, QString *error, bool *inUse);
    quint16 Port() const { return m_server.serverPort(); }

    // Open WebSockets, those still in their handshake included.
    int WebClients() const;

private:
    void OnNewConnection();
    void OnWebSocketReady();
    HttpResponse Answer(const HttpRequest &request) override;
    bool TakeWebSocket(QTcpSocket *socket, const HttpRequest &request, HttpResponse *refusal) override;

    Floor &m_floor;
    WebRoutes m_routes;
    QTcpServer m_server;
    QWebSocketServer m_webSockets;
    QSet<HttpConnection *> m_connections;
    QSet<PanelSession *> m_sessions;
    // Sockets handed to the WebSocket server whose handshake is not over.
    QList<QPointer<QTcpSocket>> m_handshakes;
};
