#pragma once

#include <QByteArray>
#include <QObject>
#include <QRandomGenerator>

class QTcpSocket;

// Writes a service's units to one console connection. Normally the bytes go
// to the socket as they come. With split writes on, they are cut into pieces
// of random size, down to one byte, and each piece is handed to the system
// on its own pass of the event loop with Nagle off, so the console's reads
// see units torn apart and glued together at random places. Trickling sends
// every byte on its own, a fixed delay apart, like a controller behind a
// very slow or congested link.
class StreamWriter : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(StreamWriter)

public:
    // How the connection ends once every queued byte went out.
    enum class Ending {
        Close,      // orderly close of both directions
        HalfClose,  // no more bytes to the console; its key messages are still read
        Reset,      // abortive close: the console's next read fails
    };

    StreamWriter(QTcpSocket *socket, bool splitWrites, quint32 seed, QObject *parent = nullptr);

    // One byte per write, delayMs apart; a negative delay turns it off.
    void SetTrickle(int delayMs);

    void Write(const QByteArray &bytes);
    // Bytes accepted by Write that the system has not taken yet.
    qint64 Queued() const;
    // Ends the connection once every queued byte went out; later writes are dropped.
    void EndWhenDone(Ending how);
    void CloseWhenDone() { EndWhenDone(Ending::Close); }

signals:
    // The system took bytes; the owner may write more.
    void Drained();

private:
    bool WritesInPieces() const { return m_split || m_trickleMs >= 0; }
    void OnBytesWritten();
    void ScheduleNextPiece();
    void WriteNextPiece();
    int NextPieceSize();
    void EndIfDrained();

    QTcpSocket *m_socket;
    bool m_split;
    int m_trickleMs = -1;
    QRandomGenerator m_random;
    QByteArray m_pending;       // bytes from m_pendingOffset on are not written yet
    int m_pendingOffset = 0;
    bool m_pieceScheduled = false;
    bool m_ending = false;
    bool m_ended = false;
    Ending m_endingHow = Ending::Close;
};
