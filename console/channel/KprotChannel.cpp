#include "KprotChannel.h"

#include "KprotListener.h"
#include "UserMessages.h"

#include <QEventLoop>
#include <QList>
#include <QTcpSocket>
#include <QTimer>

namespace {

// Number of channel operations (connect or send) waiting right now, and the
// channels whose read notifications came in meanwhile, in arrival order.
int g_waitDepth = 0;
QList<QPointer<CKprotChannel>> g_heldChannels;

QString Text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

CKprotChannel::CKprotChannel(QObject *parent)
    : QObject(parent)
{
}

CKprotChannel::~CKprotChannel()
{
    m_receiveBuffer.clear();
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        delete m_socket;
    }
}

bool CKprotChannel::IsAnyOperationWaiting()
{
    return g_waitDepth > 0;
}

void CKprotChannel::Open(const QString &host, CKprotListener *listener, quint16 port)
{
    m_listener = listener;

    delete m_socket;
    m_socket = new QTcpSocket(this);

    // A dotted address is taken as it is; anything else is resolved as a name.
    m_socket->connectToHost(host, port);
    const bool finished = WaitFor([this] {
        if (!m_socket)
            return true;
        const auto state = m_socket->state();
        return state == QAbstractSocket::ConnectedState
            || state == QAbstractSocket::UnconnectedState;
    }, kConnectTimeoutMs);

    if (!finished || !m_socket || m_socket->state() != QAbstractSocket::ConnectedState) {
        // The system socket itself is made inside the connect; running out
        // of sockets is a failure to create the channel, not to connect.
        const bool notCreated = m_socket && m_socket->error() == QAbstractSocket::SocketResourceError;
        if (m_socket)
            m_socket->abort();
        delete m_socket;
        m_socket = nullptr;
        ShowMessage(Text(notCreated ? "Fallita creazione canale KPROT" : "Fallita connessione a host KPROT"),
                    MessageIcon::Error);
        return;
    }

    m_host = host;
    // The socket holds only a few blocks ahead of the listener: a controller
    // that sends faster than the console decodes is held back by TCP itself
    // instead of piling its stream up in the console's memory.
    m_socket->setReadBufferSize(kSocketBufferBlocks * kReadBlockSize);
    // Notifications are posted, never handled inside the socket's own signal:
    // the listener may show a message box, whose event loop could close and
    // free the socket while the socket is still in the middle of its work.
    connect(m_socket, &QTcpSocket::readyRead, this, &CKprotChannel::ScheduleRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &CKprotChannel::OnPeerClosed);
    connect(m_socket, &QAbstractSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError error) { OnSocketError(error); });

    // Bytes that came with the connection, before the notifications were wired.
    if (m_socket->bytesAvailable() > 0)
        ScheduleRead();
}

void CKprotChannel::SendBytes(const char *data, int length)
{
    if (!IsOpen())
        return;

    // The idle processing runs while this channel waits; a send it issues on
    // the same connection would interleave bytes, so it fails instead.
    if (m_waiting) {
        ShowMessage(Text("Errore trasmissione canale KPROT"), MessageIcon::Exclamation);
        return;
    }
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState) {
        QPointer<CKprotChannel> self(this);
        ShowMessage(Text("Errore trasmissione canale KPROT"), MessageIcon::Exclamation);
        if (self)
            NotifyEnded();
        return;
    }

    const qint64 accepted = m_socket->write(data, length);
    bool complete = accepted == length;
    if (complete) {
        complete = WaitFor([this] {
            return !m_socket || m_socket->bytesToWrite() == 0
                || m_socket->state() != QAbstractSocket::ConnectedState;
        }, kSendTimeoutMs);
        complete = complete && m_socket && m_socket->bytesToWrite() == 0
            && m_socket->state() == QAbstractSocket::ConnectedState;
    }
    if (!complete) {
        QPointer<CKprotChannel> self(this);
        ShowMessage(Text("Errore trasmissione canale KPROT"), MessageIcon::Exclamation);
        if (self)
            NotifyEnded();
    }
}

void CKprotChannel::NotifyEnded()
{
    if (m_listener)
        m_listener->OnChannelEnded();
}

void CKprotChannel::Close()
{
    if (!IsOpen())
        return;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    m_host.clear();
}

bool CKprotChannel::WaitFor(const std::function<bool()> &done, int timeoutMs)
{
    if (done())
        return true;

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto wake = [&loop, &done] {
        if (done())
            loop.quit();
    };
    const QList<QMetaObject::Connection> wakers = {
        connect(m_socket, &QAbstractSocket::connected, &loop, wake),
        connect(m_socket, &QAbstractSocket::stateChanged, &loop, wake),
        connect(m_socket, &QAbstractSocket::errorOccurred, &loop, wake),
        connect(m_socket, &QIODevice::bytesWritten, &loop, wake),
    };

    // Painting, timers and the idle processing go on; input waits.
    ++g_waitDepth;
    m_waiting = true;
    deadline.start(timeoutMs);
    while (!done() && deadline.isActive())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    m_waiting = false;
    --g_waitDepth;

    for (const auto &c : wakers)
        disconnect(c);

    const bool result = done();
    if (g_waitDepth == 0)
        ReleaseHeldNotifications();
    return result;
}

void CKprotChannel::ReleaseHeldNotifications()
{
    const auto held = g_heldChannels;
    g_heldChannels.clear();
    for (const auto &channel : held) {
        if (channel)
            channel->ScheduleRead();
    }
}

void CKprotChannel::ScheduleRead()
{
    if (m_readScheduled)
        return;
    m_readScheduled = true;
    QMetaObject::invokeMethod(this, [this] {
        m_readScheduled = false;
        OnReadable();
    }, Qt::QueuedConnection);
}

void CKprotChannel::OnReadable()
{
    if (g_waitDepth > 0) {
        // Delivered in order once the waiting operation returns.
        if (!g_heldChannels.contains(this))
            g_heldChannels.append(this);
        return;
    }
    DeliverReadNotification();
}

void CKprotChannel::OnPeerClosed()
{
    m_peerClosed = true;
    ScheduleRead();
}

void CKprotChannel::OnSocketError(int error)
{
    // The peer's orderly close arrives as disconnected(); errors during a
    // connect or a send are reported by those operations themselves.
    if (error == QAbstractSocket::RemoteHostClosedError || m_waiting)
        return;
    m_readErrorPending = true;
    ScheduleRead();
}

void CKprotChannel::DeliverReadNotification()
{
    if (!m_socket)
        return;

    // One notification takes at most one block; the rest is left for the
    // next notification, which is posted below so no byte stays stranded.
    QByteArray block = m_socket->read(kReadBlockSize);

    // A message box runs its own event loop, in which the owner may close or
    // even delete this channel; nothing here touches it after that.
    QPointer<CKprotChannel> self(this);
    bool ended = false;
    if (m_readErrorPending && block.isEmpty()) {
        m_readErrorPending = false;
        ended = true;
        ShowMessage(Text("Errore ricezione canale KPROT"), MessageIcon::Exclamation);
    } else if (block.isEmpty() && m_peerClosed && !m_peerCloseReported) {
        // Reported once for the shutdown, not on every later notification.
        m_peerCloseReported = true;
        ended = true;
        ShowMessage(Text("Host canale KPROT chiuso"), MessageIcon::Error);
    }
    if (!self)
        return;
    if (ended) {
        NotifyEnded();
        if (!self)
            return;
    }

    m_receiveBuffer.append(block);

    if (!m_receiveBuffer.isEmpty() && m_listener)
        m_listener->OnChannelData();
    if (!self || !m_socket)
        return;

    // Bytes may have come while the listener ran, and the socket does not
    // signal again for bytes it holds; a pending shutdown or error still has
    // to be reported.
    if (m_socket->bytesAvailable() > 0 || m_readErrorPending
        || (m_peerClosed && !m_peerCloseReported))
        ScheduleRead();
}
