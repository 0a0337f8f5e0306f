#pragma once

#include <QByteArray>
#include <functional>
#include <QObject>
#include <QPointer>
#include <QString>

class CKprotListener;
class QEventLoop;
class QSocketNotifier;
class ReadWatch;

// Fixed ports of a controller's services.
constexpr quint16 SCREEN_PORT = 16721;
constexpr quint16 STATS_PORT = 16737;

// A TCP client connection from the console to one service of one controller.
// It knows nothing of the units that travel on it: it connects, appends every
// received byte to its receive buffer, tells its listener that bytes wait,
// sends byte strings, and reports transport failures in a "Brenlow" box.
//
// Open and SendBytes block. While they wait, painting and the console's idle
// processing go on, user input waits, and the read notifications of every
// channel are held back and delivered in order once the call returns, so a
// listener is never entered while a channel operation waits.
//
// The connection is a plain non-blocking socket watched on the
// user-interface thread: the system's own answers tell the controller's
// orderly shutdown from a reset, and tell how much of a send the kernel took.
class CKprotChannel : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(CKprotChannel)

public:
    // How long a connect (name lookup included) may wait before it counts
    // as failed.
    static constexpr int kConnectTimeoutMs = 20000;
    // Most bytes handed to the listener at once.
    static constexpr int kReadBlockSize = 2048;
    // Most blocks read from one channel in one turn; the rest waits until
    // the other channels had theirs.
    static constexpr int kReadBlocksPerTurn = 32;
    // How long a send may wait for the controller to take its bytes.
    static constexpr int kSendTimeoutMs = 20000;

    explicit CKprotChannel(QObject *parent = nullptr);
    ~CKprotChannel() override;

    void Open(const QString &host, CKprotListener *listener, quint16 port);
    // A send that fails is reported and never goes out later: what the
    // kernel holds of it is dropped with the connection, which then sends
    // nothing more (the channel still counts as open until Close).
    void SendBytes(const char *data, int length);
    void SendBytes(const QByteArray &bytes) { SendBytes(bytes.constData(), bytes.size()); }
    void Close();
    bool IsOpen() const { return !m_host.isEmpty(); }
    QString GetHost() const { return m_host; }
    // The listener reads units from the front and removes what it consumed.
    QByteArray &GetReceiveBuffer() { return m_receiveBuffer; }

    // True while any channel waits in a blocking Open or SendBytes.
    static bool IsAnyOperationWaiting();
    // Told true when the first operation starts waiting and false when the
    // last one ends. With an observer set, the waits let the operator's
    // input through and the observer holds back what must wait (the
    // console lets the PC keys reach the keypads); without one the waits
    // hold back all input themselves.
    using WaitObserver = std::function<void(bool waiting)>;
    static void SetWaitObserver(WaitObserver observer);

    // The console keeps kSendTimeoutMs; tests shorten it.
    void SetSendTimeLimit(int milliseconds) { m_sendTimeoutMs = milliseconds; }

private:
    bool Resolve(const QString &host, quint32 *address, int timeoutMs);
    bool Connect(quint32 address, quint16 port, int timeoutMs);
    void WatchReads();
    void DropSocket(bool abort);
    void OnReadActivated();
    void OnWriteActivated();
    void ScheduleRead();
    void OnReadable();
    // Tells the listener that a send failed for good, after its message.
    void NotifyPeerGone();
    void DeliverReadNotification();
    // Reports what a read of got bytes (or the negated errno) means and
    // offers what came to the listener, block by block; false once the
    // channel is gone.
    bool HandOut(const QPointer<CKprotChannel> &self, const char *bytes, qint64 got);
    bool WaitFor(const std::function<bool()> &step, int timeoutMs, int pollMs = 0);
    static void ReleaseHeldNotifications();

    QString m_host;
    CKprotListener *m_listener = nullptr;
    QByteArray m_receiveBuffer;
    int m_fd = -1;
    // Watches the socket for bytes while the channel reads it.
    ReadWatch *m_readWatch = nullptr;
    quint64 m_readId = 0;
    QSocketNotifier *m_writeNotifier = nullptr;
    // The loop of the blocking operation in progress, woken by the socket.
    QEventLoop *m_wake = nullptr;
    int m_sendTimeoutMs = kSendTimeoutMs;
    bool m_waiting = false;
    bool m_readScheduled = false;
    // Inside DeliverReadNotification, also while its listener or message
    // box runs an event loop.
    bool m_delivering = false;
    // The controller's shutdown or a read error was reported: nothing more
    // can come, so the socket is no longer watched for reading.
    bool m_readEnded = false;
    // A reset that came before the connect was seen through; the first read
    // past the bytes the controller sent before it reports it.
    int m_resetSeenAtConnect = 0;
};
