#pragma once

#include <QByteArray>
#include <functional>
#include <QObject>
#include <QPointer>
#include <QString>

class QTcpSocket;
class CKprotListener;

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
class CKprotChannel : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(CKprotChannel)

public:
    // How long a connect may wait for a silent host before it counts as failed.
    static constexpr int kConnectTimeoutMs = 20000;
    // Most bytes taken from the socket per read notification.
    static constexpr int kReadBlockSize = 2048;
    // Read blocks the socket may hold ahead of the listener.
    static constexpr int kSocketBufferBlocks = 8;

    explicit CKprotChannel(QObject *parent = nullptr);
    ~CKprotChannel() override;

    void Open(const QString &host, CKprotListener *listener, quint16 port);
    void SendBytes(const char *data, int length);
    void SendBytes(const QByteArray &bytes) { SendBytes(bytes.constData(), bytes.size()); }
    void Close();
    bool IsOpen() const { return !m_host.isEmpty(); }
    QString GetHost() const { return m_host; }
    // The listener reads units from the front and removes what it consumed.
    QByteArray &GetReceiveBuffer() { return m_receiveBuffer; }

    // True while any channel waits in a blocking Open or SendBytes.
    static bool IsAnyOperationWaiting();

    // How long a send may wait for the socket to take its bytes.
    static constexpr int kSendTimeoutMs = 20000;

private:
    void OnReadable();
    void OnPeerClosed();
    void OnSocketError(int error);
    void ScheduleRead();
    // Tells the listener that the connection ended, after its message.
    void NotifyEnded();
    void DeliverReadNotification();
    bool WaitFor(const std::function<bool()> &done, int timeoutMs);
    static void ReleaseHeldNotifications();

    QString m_host;
    CKprotListener *m_listener = nullptr;
    QByteArray m_receiveBuffer;
    QTcpSocket *m_socket = nullptr;
    bool m_waiting = false;
    bool m_readScheduled = false;
    bool m_peerClosed = false;
    bool m_peerCloseReported = false;
    bool m_readErrorPending = false;
};
