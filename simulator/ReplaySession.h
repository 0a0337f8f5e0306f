#pragma once

#include "KeyMessage.h"
#include "StreamRecording.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QTcpSocket;

// One console on the screen service of a controller that replays a
// recording: the console gets the recorded bytes from the start, each read
// at its recorded moment (scaled by the replay speed), and, when looping,
// the recording again from its start once it ends. Key messages from the
// console are read as usual. Never more than kHighWater bytes wait in the
// socket: a console that reads slowly makes the replay late, not larger.
class ReplaySession : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(ReplaySession)

public:
    static constexpr qint64 kHighWater = 64 * 1024;

    ReplaySession(QTcpSocket *socket, const QString &recording, double speed, bool loop,
                  QObject *parent = nullptr);

    // Opens the recording and starts sending; false with the reason when
    // the recording cannot be read (the connection is then closed).
    bool Start(QString *error);
    QString PeerName() const { return m_peerName; }
    // Times the recording was served to the end.
    int PassesDone() const { return m_passes; }

signals:
    void KeyMessageReceived(quint8 flags, quint8 code);
    void BytesReceived(qint64 bytes);
    void BytesSent(qint64 bytes, int writes);
    void ReplayFailed(const QString &reason);
    void Finished();

private:
    // The moment of the session's clock a record is due, in microseconds.
    qint64 DueMicros(qint64 recordMicros) const;
    void ScheduleNext();
    void SendDue();
    bool ReadAhead();
    void OnReadyRead();
    void OnDisconnected();

    QTcpSocket *m_socket;
    QString m_path;
    double m_speed;
    bool m_loop;
    QString m_peerName;
    RecordingReader m_reader;
    StreamRecording::Chunk m_next;
    bool m_haveNext = false;
    QElapsedTimer m_clock;
    qint64 m_passStartMicros = 0; // moment of the clock the current pass began
    QTimer m_timer;
    int m_passes = 0;
    bool m_finished = false;
    KeyMessageAssembler m_keys;
};
