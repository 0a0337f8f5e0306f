#include "HttpConnection.h"

#include <QTcpSocket>

HttpConnection::HttpConnection(QTcpSocket *socket, HttpHandler *handler, QObject *parent)
    : QObject(parent),
      m_socket(socket),
      m_handler(handler)
{
    m_socket->setReadBufferSize(kReadAheadBytes);
    m_idle.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this, &HttpConnection::OnIdle);
    connect(m_socket, &QTcpSocket::readyRead, this, &HttpConnection::OnReadable);
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
        if (!m_closing && m_socket->bytesToWrite() < kMostUnsentBytes / 2)
            OnReadable();
    });
    connect(m_socket, &QTcpSocket::disconnected, this, &HttpConnection::Finish);
    m_idle.start(kIdleMs);
    if (m_socket->bytesAvailable() > 0)
        OnReadable();
}

HttpConnection::~HttpConnection()
{
    if (m_socket && m_socket->parent() == this)
        m_socket->abort();
}

void HttpConnection::OnReadable()
{
    while (!m_closing && !m_finished) {
        if (m_socket->bytesToWrite() > kMostUnsentBytes)
            return;
        const QByteArray waiting = m_socket->peek(m_socket->bytesAvailable());
        if (waiting.size() <= m_peeked)
            return;
        int taken = 0;
        const auto outcome = m_parser.Feed(waiting.constData() + m_peeked, waiting.size() - m_peeked, &taken);
        m_peeked += taken;
        if (outcome == HttpRequestParser::Outcome::NeedMore)
            continue;
        if (outcome == HttpRequestParser::Outcome::Failed) {
            const int status = m_parser.FailureStatus();
            Respond(HttpResponse::Text(status, StatusReason(status)), true, true);
            return;
        }
        const HttpRequest &request = m_parser.Request();
        if (request.upgrade) {
            HttpResponse refusal;
            m_idle.stop();
            disconnect(m_socket, nullptr, this, nullptr);
            if (m_handler->TakeWebSocket(m_socket, request, &refusal)) {
                m_socket = nullptr;
                Finish();
                return;
            }
            connect(m_socket, &QTcpSocket::disconnected, this, &HttpConnection::Finish);
            m_idle.start(kIdleMs);
            Respond(refusal, true, true);
            return;
        }
        m_socket->read(m_peeked);
        m_peeked = 0;
        const bool close = !request.keepAlive;
        const bool withBody = request.method != "HEAD";
        Respond(m_handler->Answer(request), withBody, close);
        if (close)
            return;
        m_parser.Next();
        m_idle.start(kIdleMs);
    }
}

void HttpConnection::Respond(const HttpResponse &response, bool withBody, bool close)
{
    m_socket->write(response.Serialize(withBody, close));
    if (close) {
        // What was written still goes out; a browser that never reads it
        // is dropped when the idle time runs out.
        m_closing = true;
        m_socket->disconnectFromHost();
    }
}

void HttpConnection::OnIdle()
{
    if (m_socket)
        m_socket->abort();
    Finish();
}

void HttpConnection::Finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_idle.stop();
    emit Finished(this);
}
