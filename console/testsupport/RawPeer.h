#pragma once

#include <QByteArray>

// A controller stand-in on a plain loopback socket, for the ways a peer can
// end or stall a connection that a Qt socket does not offer: shutting down
// only its sending side, resetting the connection, not reading at all.
class RawPeer
{
    Q_DISABLE_COPY(RawPeer)

public:
    // receiveBuffer, when given, is the size of the peer's socket buffer:
    // a small one fills after a few sends once the peer stops reading.
    explicit RawPeer(int receiveBuffer = 0);
    ~RawPeer();

    quint16 port() const { return m_port; }
    // Takes the console's connection, waiting (events running) until it came.
    bool accept(int timeoutMs = 5000);

    void send(const QByteArray &bytes);
    // Shuts down the sending side only; the peer goes on reading.
    void shutdownSending();
    // Ends the connection with the usual close (FIN).
    void closeOrderly();
    // Ends the connection with a reset (RST).
    void reset();

    // Bytes that arrived and wait unread in the peer's socket.
    qint64 queued() const;
    // Reads what arrived (events running) until count bytes were read, the
    // connection ended, or the time ran out; returns everything read so far.
    QByteArray read(int count, int timeoutMs = 5000);
    // Reads until the connection ends or nothing came for quietMs.
    QByteArray readToEnd(int quietMs = 300);

private:
    int m_listener = -1;
    int m_fd = -1;
    quint16 m_port = 0;
    QByteArray m_received;
};
