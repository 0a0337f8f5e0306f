#pragma once

#include "HttpRequestParser.h"
#include "HttpResponse.h"

#include <QObject>
#include <QTimer>

class QTcpSocket;

// What a connection asks of the server it belongs to.
class HttpHandler
{
public:
    virtual ~HttpHandler() = default;
    virtual HttpResponse Answer(const HttpRequest &request) = 0;
    // Takes the socket over for a WebSocket, the request's bytes still
    // unread in it; false with the answer that refuses it.
    virtual bool TakeWebSocket(QTcpSocket *socket, const HttpRequest &request, HttpResponse *refusal) = 0;
};

// One browser's HTTP connection: reads its requests one after the other,
// answers each, and closes it when the browser asks, on a bad request, or
// after kIdleMs without a whole request. The request bytes are only peeked
// at until a request is complete, so that a WebSocket upgrade leaves them in
// the socket for Qt WebSockets to read its handshake from.
class HttpConnection : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(HttpConnection)

public:
    static constexpr int kIdleMs = 10000;
    // The bytes Qt reads ahead from the browser: a whole request fits.
    static constexpr int kReadAheadBytes = 65536;
    // Answers waiting for a browser that does not read stop the reading of
    // its next requests.
    static constexpr qint64 kMostUnsentBytes = 1 << 20;

    HttpConnection(QTcpSocket *socket, HttpHandler *handler, QObject *parent = nullptr);
    ~HttpConnection() override;

signals:
    // The connection is over (closed, or handed to the WebSocket server);
    // the server deletes it later.
    void Finished(HttpConnection *connection);

private:
    void OnReadable();
    void OnIdle();
    void Respond(const HttpResponse &response, bool withBody, bool close);
    void Finish();

    QTcpSocket *m_socket;
    HttpHandler *m_handler;
    HttpRequestParser m_parser;
    QTimer m_idle;
    int m_peeked = 0;
    bool m_closing = false;
    bool m_finished = false;
};
