#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// A controller stand-in for tests: listens on a loopback address, accepts
// one console at a time and lets the test write bytes and read what the
// console sent.
class LoopbackServer : public QObject
{
    Q_OBJECT

public:
    explicit LoopbackServer(const QHostAddress &address = QHostAddress::LocalHost,
                            quint16 port = 0, QObject *parent = nullptr);

    bool isListening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }
    QString host() const { return m_server.serverAddress().toString(); }

    // Waits (running the event loop) until a console connected.
    bool waitForClient(int timeoutMs = 5000);
    QTcpSocket *client() const { return m_client; }

    // Writes bytes to the connected console and flushes them out.
    void send(const QByteArray &bytes);
    // Writes the bytes in pieces of the given size, each its own TCP write.
    void sendInPieces(const QByteArray &bytes, int pieceSize);
    // Waits until at least count bytes came from the console.
    bool waitForReceived(int count, int timeoutMs = 5000);
    QByteArray received() const { return m_received; }
    void closeClient();
    // Stops or resumes taking bytes from the console, so that its sends
    // back up once the socket buffers are full.
    void setReading(bool reading);

private:
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_received;
    bool m_reading = true;
};
