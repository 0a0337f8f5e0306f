#include "KprotChannel.h"

#include "ChannelLog.h"
#include "KprotListener.h"
#include "ReadWatch.h"
#include "StreamSocket.h"
#include "UserMessages.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostInfo>
#include <QList>
#include <QSocketNotifier>
#include <QTimer>
#include <QtEndian>

#include <cerrno>
#include <memory>

namespace {

// Number of channel operations (connect or send) waiting right now, and the
// channels whose read notifications came in meanwhile, in arrival order.
int g_waitDepth = 0;
QList<QPointer<CKprotChannel>> g_heldChannels;
CKprotChannel::WaitObserver g_waitObserver;

// How often a send to a controller that shut down its side looks for the
// controller's acknowledgement.
constexpr int kAcknowledgePollMs = 1;

QString Text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// Digits and dots only: meant as an address, never as a host name.
bool LooksNumeric(const QString &host)
{
    for (const QChar c : host) {
        if (!c.isDigit() && c != QLatin1Char('.'))
            return false;
    }
    return true;
}

bool HasControlCharacter(const QString &host)
{
    for (const QChar c : host) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    }
    return false;
}

} // namespace

CKprotChannel::CKprotChannel(QObject *parent)
    : QObject(parent)
{
}

CKprotChannel::~CKprotChannel()
{
    m_receiveBuffer.clear();
    DropSocket(false);
}

bool CKprotChannel::IsAnyOperationWaiting()
{
    return g_waitDepth > 0;
}

void CKprotChannel::SetWaitObserver(WaitObserver observer)
{
    g_waitObserver = std::move(observer);
}

void CKprotChannel::Open(const QString &host, CKprotListener *listener, quint16 port)
{
    m_listener = listener;
    DropSocket(false);
    m_readEnded = false;
    m_resetSeenAtConnect = 0;

    qCDebug(lcChannel) << "connecting to" << host << "port" << port;
    const int fd = StreamSocket::Create();
    if (fd < 0) {
        qCDebug(lcChannel) << "no socket for" << host << "errno" << errno;
        ShowMessage(Text("Fallita creazione canale KPROT"), MessageIcon::Error);
        return;
    }
    m_fd = fd;
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &CKprotChannel::OnWriteActivated);

    // The name lookup and the connect share one time limit.
    QPointer<CKprotChannel> self(this);
    QElapsedTimer clock;
    clock.start();
    quint32 address = 0;
    bool connected = Resolve(host, &address, kConnectTimeoutMs);
    if (!self)
        return;
    if (!connected)
        qCDebug(lcChannel) << host << "is no address and no name that resolves to one";
    if (connected)
        connected = Connect(address, port, int(qMax<qint64>(1, kConnectTimeoutMs - clock.elapsed())));
    if (!self)
        return;

    if (!connected) {
        qCDebug(lcChannel) << "connect to" << host << "port" << port << "failed after" << clock.elapsed() << "ms";
        DropSocket(false);
        ShowMessage(Text("Fallita connessione a host KPROT"), MessageIcon::Error);
        return;
    }
    qCDebug(lcChannel) << "connected to" << host << "port" << port << "in" << clock.elapsed() << "ms";
    m_host = host;
    WatchReads();
}

bool CKprotChannel::Resolve(const QString &host, quint32 *address, int timeoutMs)
{
    if (StreamSocket::ParseDottedAddress(host, address))
        return true;
    // A mistyped address ("192.168.1") is refused, not guessed at; so is a
    // text with a control character: the resolver would stop at a NUL and
    // connect to whatever stands before it.
    if (host.isEmpty() || LooksNumeric(host) || HasControlCharacter(host))
        return false;

    // The lookup runs beside the user-interface thread; a name server that
    // never answers costs the connect time limit, not a hung console.
    struct Lookup
    {
        bool finished = false;
        QHostInfo result;
    };
    const auto lookup = std::make_shared<Lookup>();
    const int id = QHostInfo::lookupHost(host, this, [this, lookup](const QHostInfo &info) {
        lookup->result = info;
        lookup->finished = true;
        if (m_wake)
            m_wake->quit();
    });
    if (!WaitFor([lookup] { return lookup->finished; }, timeoutMs)) {
        QHostInfo::abortHostLookup(id);
        return false;
    }
    const auto addresses = lookup->result.addresses();
    for (const QHostAddress &candidate : addresses) {
        if (candidate.protocol() == QAbstractSocket::IPv4Protocol) {
            *address = qToBigEndian(candidate.toIPv4Address());
            return true;
        }
    }
    return false;
}

bool CKprotChannel::Connect(quint32 address, quint16 port, int timeoutMs)
{
    const int started = StreamSocket::StartConnect(m_fd, address, port);
    if (started <= 0)
        return started == 0;

    int result = 1;
    const bool finished = WaitFor([this, &result] {
        if (m_fd < 0) {
            result = -1;
            return true;
        }
        result = StreamSocket::ConnectResult(m_fd, &m_resetSeenAtConnect);
        if (result == 1)
            m_writeNotifier->setEnabled(true);
        return result != 1;
    }, timeoutMs);
    return finished && result == 0;
}

void CKprotChannel::SendBytes(const char *data, int length)
{
    if (!IsOpen())
        return;

    const QString failure = Text("Errore trasmissione canale KPROT");
    // The idle processing runs while this channel waits; a send it issues on
    // the same connection would interleave bytes, so it fails instead. A
    // connection dropped after an earlier failure sends nothing more.
    if (m_waiting) {
        qCDebug(lcChannel) << "send of" << length << "bytes to" << m_host
                          << "refused: an earlier operation on this channel still waits";
        ShowMessage(failure, MessageIcon::Exclamation);
        return;
    }
    QPointer<CKprotChannel> self(this);
    if (m_fd < 0) {
        qCDebug(lcChannel) << "send of" << length << "bytes to" << m_host << "refused: the connection was dropped";
        ShowMessage(failure, MessageIcon::Exclamation);
        if (self)
            NotifyPeerGone();
        return;
    }
    if (length <= 0)
        return;

    // A controller that shut down its sending side may still read, or may
    // be gone altogether; only its acknowledgement tells the two apart, so
    // after its shutdown a send waits until the controller took the bytes.
    const bool confirm = StreamSocket::PeerShutDown(m_fd);
    qint64 written = 0;
    bool failed = false;
    const auto step = [&] {
        if (m_fd < 0) {
            failed = true;
            return true;
        }
        while (written < length) {
            const qint64 taken = StreamSocket::Send(m_fd, data + written, length - written);
            if (taken < 0) {
                failed = true;
                return true;
            }
            if (taken == 0) {
                // The kernel is full: the rest waits here, in the caller's
                // bytes, until the controller reads.
                m_writeNotifier->setEnabled(true);
                return false;
            }
            written += taken;
        }
        if (!confirm)
            return true;
        if (StreamSocket::TakeError(m_fd) != 0 || !StreamSocket::Connected(m_fd)) {
            failed = true;
            return true;
        }
        return StreamSocket::Unacknowledged(m_fd) == 0;
    };

    const bool finished = WaitFor(step, m_sendTimeoutMs, confirm ? kAcknowledgePollMs : 0);
    if (!self)
        return;
    if (finished && !failed) {
        qCDebug(lcChannel) << "sent" << length << "bytes to" << m_host;
        return;
    }
    qCDebug(lcChannel) << "send to" << m_host << "failed:" << written << "of" << length << "bytes taken,"
                      << (finished ? "connection lost" : "time limit reached")
                      << (written > 0 ? "- connection reset" : "- connection closed");

    // What the kernel still holds of this send must never reach the
    // controller after the failure is reported: the connection is reset,
    // which drops those bytes, before the operator hears of it. When the
    // kernel took none of them, the connection closes in the usual way and
    // the keys sent before, which counted as sent, still reach the
    // controller should it read again.
    DropSocket(written > 0);
    ShowMessage(failure, MessageIcon::Exclamation);
    if (self)
        NotifyPeerGone();
}

void CKprotChannel::NotifyPeerGone()
{
    if (m_listener)
        m_listener->OnChannelPeerGone();
}

void CKprotChannel::Close()
{
    if (!IsOpen())
        return;
    qCDebug(lcChannel) << "closing the connection to" << m_host;
    DropSocket(false);
    m_host.clear();
}

void CKprotChannel::WatchReads()
{
    m_readWatch = ReadWatch::Acquire();
    m_readId = m_readWatch->Add(m_fd, [this] { OnReadActivated(); });
}

void CKprotChannel::DropSocket(bool abort)
{
    if (m_readWatch)
        m_readWatch->Remove(m_readId);
    m_readWatch = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (m_fd >= 0) {
        if (abort) {
            qCDebug(lcChannel) << "resetting the connection to" << m_host;
            StreamSocket::Abort(m_fd);
        }
        else
            StreamSocket::Close(m_fd);
    }
    m_fd = -1;
    m_readEnded = true;
}

void CKprotChannel::OnWriteActivated()
{
    // A writable socket stays writable: the notifier is armed again only by
    // an operation that still waits for room.
    m_writeNotifier->setEnabled(false);
    if (m_wake)
        m_wake->quit();
}

void CKprotChannel::OnReadActivated()
{
    // The watch reports again and again while bytes wait. It rests while a
    // blocking operation waits (the notification is held and delivered once
    // that returns) and while a delivery of this channel is under way and
    // runs an event loop of its own (a message box, a blocking send): that
    // delivery reads on when it is entered again, and wakes the watch
    // when it ends.
    if (g_waitDepth > 0 || m_delivering) {
        m_readWatch->SetPaused(m_readId, true);
        if (g_waitDepth > 0)
            OnReadable();
        return;
    }
    // Read here, at once: the watch copes with a listener that closes or
    // deletes the channel meanwhile.
    DeliverReadNotification();
}

bool CKprotChannel::WaitFor(const std::function<bool()> &step, int timeoutMs, int pollMs)
{
    if (step())
        return true;

    QPointer<CKprotChannel> self(this);
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer poll;
    if (pollMs > 0) {
        connect(&poll, &QTimer::timeout, &loop, &QEventLoop::quit);
        poll.start(pollMs);
    }
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);

    // Painting, timers and the idle processing go on; input waits.
    QEventLoop *outerWake = m_wake;
    m_wake = &loop;
    if (++g_waitDepth == 1 && g_waitObserver)
        g_waitObserver(true);
    const auto inputFlags = g_waitObserver ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents;
    m_waiting = true;
    deadline.start(timeoutMs);
    bool done = false;
    while (!done && deadline.isActive()) {
        loop.exec(inputFlags);
        if (!self)
            break;
        done = step();
    }
    if (--g_waitDepth == 0 && g_waitObserver)
        g_waitObserver(false);
    if (self) {
        m_waiting = false;
        m_wake = outerWake;
        if (m_writeNotifier)
            m_writeNotifier->setEnabled(false);
    }

    if (g_waitDepth == 0)
        ReleaseHeldNotifications();
    return self && done;
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
    // A notification held back by a blocking operation is delivered from
    // the event loop, after the operation's caller has carried on.
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
    // A delivery under way reads everything that waits anyway.
    if (m_delivering)
        return;
    DeliverReadNotification();
}

void CKprotChannel::DeliverReadNotification()
{
    if (m_fd < 0 || m_readEnded)
        return;

    // One read takes what the socket holds, up to kReadBlocksPerTurn blocks,
    // and hands it to the listener in blocks of at most kReadBlockSize, each
    // one before the next is added: the listener sees the stream exactly as
    // one block a notification would bring it, without a trip through the
    // event loop and a system call per block. Whatever stays in the socket
    // is read at the next turn, after the other channels had theirs: one
    // controller streaming as fast as the network goes cannot hold the
    // console to itself.
    QPointer<CKprotChannel> self(this);
    m_delivering = true;
    char turn[kReadBlockSize * kReadBlocksPerTurn];
    qint64 got = StreamSocket::Receive(m_fd, turn, sizeof turn);
    if (got == 0 && m_resetSeenAtConnect != 0)
        got = -m_resetSeenAtConnect;
    qCDebug(lcChannel) << "read from" << m_host << "gave" << got
                       << (got > 0 ? "bytes" : got == 0 ? "(orderly shutdown)" : "(errno, negated)");
    if (!HandOut(self, turn, got))
        return;
    m_delivering = false;

    if (m_readWatch)
        m_readWatch->SetPaused(m_readId, m_readEnded);
}

bool CKprotChannel::HandOut(const QPointer<CKprotChannel> &self, const char *bytes, qint64 got)
{
    // A message box runs its own event loop, in which the owner may close or
    // even delete this channel; nothing here touches it after that.
    bool peerGone = false;
    if (got == 0) {
        // The controller's orderly shutdown: nothing more can come, and it
        // is reported once. The channel stays open; the controller may
        // still read the keys sent to it.
        m_readEnded = true;
        peerGone = true;
        ShowMessage(Text("Host canale KPROT chiuso"), MessageIcon::Error);
    } else if (got < 0) {
        if (got != -EAGAIN) {
            // A reset or another failure of the connection.
            m_readEnded = true;
            peerGone = true;
            ShowMessage(Text("Errore ricezione canale KPROT"), MessageIcon::Exclamation);
        }
        got = 0;
    }
    if (!self)
        return false;
    if (peerGone && m_listener) {
        m_listener->OnChannelPeerGone();
        if (!self)
            return false;
    }

    // Nothing new: the bytes waiting in the buffer are offered again.
    if (got == 0) {
        if (!m_receiveBuffer.isEmpty() && m_listener)
            m_listener->OnChannelData();
        return bool(self);
    }
    for (qint64 offset = 0; offset < got && m_fd >= 0; offset += kReadBlockSize) {
        m_receiveBuffer.append(bytes + offset, int(qMin<qint64>(kReadBlockSize, got - offset)));
        if (m_listener)
            m_listener->OnChannelData();
        if (!self)
            return false;
    }
    return true;
}
