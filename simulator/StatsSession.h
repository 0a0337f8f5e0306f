#pragma once

#include <QObject>

class QTcpSocket;
class StreamWriter;

// One console on the statistics service. It receives every record the
// controller pushes; a console that stops reading misses records instead of
// piling them up. Bytes from the console are read and dropped.
class StatsSession : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(StatsSession)

public:
    static constexpr qint64 kMaxQueued = 64 * 1024;

    StatsSession(QTcpSocket *socket, bool splitWrites, quint32 seed, QObject *parent = nullptr);

    // One byte per write, delayMs apart (see StreamWriter).
    void SetTrickle(int delayMs);
    // False when the record was dropped because the console is not reading.
    bool Push(const QByteArray &record);
    QString PeerName() const { return m_peerName; }

signals:
    void BytesReceived(qint64 bytes);
    void Finished();

private:
    void OnReadyRead();
    void OnDisconnected();

    QTcpSocket *m_socket;
    StreamWriter *m_writer;
    QString m_peerName;
    bool m_finished = false;
};
