#pragma once

#include <QByteArray>
#include <QObject>
#include <QRandomGenerator>

class QTcpSocket;

// Writes a service's units to one console connection. Normally the bytes go
// to the socket as they come. With split writes on, they are cut into pieces
// of random size, down to one byte, and each piece is handed to the system
// on its own pass of the event loop with Nagle off, so the console's reads
// see units torn apart and glued together at random places.
class StreamWriter : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(StreamWriter)

public:
    StreamWriter(QTcpSocket *socket, bool splitWrites, quint32 seed, QObject *parent = nullptr);

    void Write(const QByteArray &bytes);
    // Bytes accepted by Write that the system has not taken yet.
    qint64 Queued() const;
    // Closes the connection once every queued byte went out.
    void CloseWhenDone();

signals:
    // The system took bytes; the owner may write more.
    void Drained();

private:
    void OnBytesWritten();
    void ScheduleNextPiece();
    void WriteNextPiece();
    int NextPieceSize();

    QTcpSocket *m_socket;
    bool m_split;
    QRandomGenerator m_random;
    QByteArray m_pending;       // bytes from m_pendingOffset on are not written yet
    int m_pendingOffset = 0;
    bool m_pieceScheduled = false;
    bool m_closeWhenDone = false;
};
