#include "LoopbackServer.h"

#include <QTest>

LoopbackServer::LoopbackServer(const QHostAddress &address, quint16 port, QObject *parent)
    : QObject(parent)
{
    m_server.listen(address, port);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            m_client = socket;
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                if (m_reading)
                    m_received.append(socket->readAll());
            });
        }
    });
}

bool LoopbackServer::waitForClient(int timeoutMs)
{
    return QTest::qWaitFor([this] { return !m_client.isNull(); }, timeoutMs);
}

void LoopbackServer::send(const QByteArray &bytes)
{
    if (!m_client)
        return;
    m_client->write(bytes);
    m_client->flush();
}

void LoopbackServer::sendInPieces(const QByteArray &bytes, int pieceSize)
{
    for (int i = 0; i < bytes.size() && m_client; i += pieceSize) {
        m_client->write(bytes.mid(i, pieceSize));
        m_client->flush();
        m_client->waitForBytesWritten(1000);
    }
}

bool LoopbackServer::waitForReceived(int count, int timeoutMs)
{
    return QTest::qWaitFor([this, count] { return m_received.size() >= count; }, timeoutMs);
}

void LoopbackServer::closeClient()
{
    if (!m_client)
        return;
    m_client->flush();
    m_client->disconnectFromHost();
}

void LoopbackServer::setReading(bool reading)
{
    m_reading = reading;
    if (!m_client)
        return;
    m_client->setReadBufferSize(reading ? 0 : 1);
    if (reading)
        m_received.append(m_client->readAll());
}
