#pragma once

#include "KeyMessage.h"
#include "ScreenFaults.h"

#include <QBitArray>
#include <QObject>

class QTcpSocket;
class StreamWriter;

// Where a screen connection gets its blocks from: the controller's current
// panel, encoded on demand, so a slow console only ever gets the newest
// picture of a line and never a backlog of old ones.
class ScreenUnitSource
{
public:
    virtual ~ScreenUnitSource() = default;
    virtual int UnitCount() const = 0;
    virtual QByteArray EncodeUnit(int unit, int wireNumber) const = 0;
    // The band or line number a console rejects, for the bad-line fault.
    virtual int InvalidUnitNumber() const = 0;
};

// One console on the screen service. It keeps a set of bands or lines still
// to send, sends them in order while the socket takes them, commits the
// configured faults, and turns the bytes it receives into key messages.
// Memory stays bounded whatever the console does: the pending set has one bit
// a unit, and no more than kHighWater bytes wait in the socket.
class ScreenSession : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(ScreenSession)

public:
    static constexpr qint64 kHighWater = 64 * 1024;

    ScreenSession(QTcpSocket *socket, const ScreenUnitSource *source, const FaultSettings &faults,
                  bool splitWrites, bool flood, quint32 seed, QObject *parent = nullptr);

    // One byte per write, delayMs apart (see StreamWriter).
    void SetTrickle(int delayMs);
    // The whole panel again, from the top (new console, refresh request).
    void MarkAllDirty();
    // Units that changed; they go out in turn after those already pending.
    void MarkDirty(const QBitArray &units);
    QString PeerName() const { return m_peerName; }
    int BlocksSent() const { return m_blocksSent; }
    bool IsStalled() const { return m_stalled; }
    // Largest number of bytes that ever waited for this console's socket.
    qint64 PeakQueued() const { return m_peakQueued; }

signals:
    void KeyMessageReceived(quint8 flags, quint8 code);
    void BytesReceived(qint64 bytes);
    void BytesSent(qint64 bytes, int blocks);
    // Flood mode: every pending unit is out and the panel may move on.
    void WantsFloodStep();
    void FaultCommitted(const QString &description);
    void Finished();

private:
    void SchedulePump();
    void Pump();
    bool CommitDueFaults();
    int TakeNextDirtyUnit();
    void OnReadyRead();
    void OnDisconnected();
    void Send(const QByteArray &bytes, int blocks);

    QTcpSocket *m_socket;
    const ScreenUnitSource *m_source;
    StreamWriter *m_writer;
    ScreenFaults m_faults;
    bool m_flood;
    QString m_peerName;
    QBitArray m_dirty;
    int m_dirtyCount = 0;
    int m_cursor = 0;
    int m_blocksSent = 0;
    bool m_pumpScheduled = false;
    bool m_closing = false;
    bool m_stalled = false;
    bool m_finished = false;
    qint64 m_peakQueued = 0;
    KeyMessageAssembler m_keys;
};
