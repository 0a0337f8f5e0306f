#include "ControllerLink.h"

#include "StreamSocket.h"
#include "WebLog.h"

#include <QHostInfo>
#include <QtEndian>
#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

// The key message the controller answers by sending every line of its panel
// again ("Aggiorna" in the console). The only bytes the daemon ever sends.
constexpr char kRefreshRequest[2] = {0x10, 0x65};

// Reads per readable notification, so one busy controller cannot hold up
// the others: what is left is read at the next turn of the event loop.
constexpr int kReadChunk = 16384;
constexpr int kReadsPerTurn = 4;

QString ConnectFailure(int error)
{
    switch (error) {
    case ECONNREFUSED:
        return QStringLiteral("Connessione rifiutata");
    case ETIMEDOUT:
        return QStringLiteral("Tempo di collegamento scaduto");
    case ENETUNREACH:
    case EHOSTUNREACH:
        return QStringLiteral("Controllore non raggiungibile");
    default:
        return QStringLiteral("Collegamento fallito: %1").arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

} // namespace

qint64 SteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

ControllerLink::ControllerLink(int index, const QString &address, quint16 port, LinkObserver *observer,
                               QRandomGenerator *random, QObject *parent)
    : QObject(parent),
      m_index(index),
      m_address(address),
      m_port(port),
      m_observer(observer),
      m_backoff(random),
      m_since(QDateTime::currentDateTime())
{
    m_parser.SetObserver(this);
    m_retryTimer.setSingleShot(true);
    m_connectTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &ControllerLink::Attempt);
    connect(&m_connectTimer, &QTimer::timeout, this, &ControllerLink::OnConnectTimeout);
}

ControllerLink::~ControllerLink()
{
    DropSocket();
}

void ControllerLink::Start()
{
    const int offset = m_backoff.StartOffsetMs();
    m_retryAtMs = SteadyMs() + offset;
    m_retryTimer.start(offset);
}

QString ControllerLink::FormatName() const
{
    switch (m_image.DisplayMode()) {
    case ScreenImage::Monochrome:
        return QStringLiteral("mono");
    case ScreenImage::RawColour:
        return QStringLiteral("raw");
    case ScreenImage::RunLengthColour:
        return QStringLiteral("rle");
    default:
        return {};
    }
}

int ControllerLink::StateSeconds(qint64 nowMs) const
{
    if (m_state == LinkState::Reconnecting)
        return int(std::max<qint64>(0, (m_retryAtMs - nowMs + 999) / 1000));
    if (m_state == LinkState::Silent) {
        const qint64 from = m_lastBlockMs > m_connectedMs ? m_lastBlockMs : m_connectedMs;
        return int((nowMs - from) / 1000);
    }
    return 0;
}

void ControllerLink::CheckSilence(qint64 nowMs)
{
    if (!m_connected || m_state == LinkState::Silent)
        return;
    const qint64 from = m_lastBlockMs > m_connectedMs ? m_lastBlockMs : m_connectedMs;
    if (nowMs - from >= kOnlineSeconds * 1000)
        SetState(LinkState::Silent, QStringLiteral("Nessun blocco da %1 s").arg(kOnlineSeconds));
}

void ControllerLink::Attempt()
{
    if (m_attempts++ > 0)
        ++m_reconnects;
    m_connectTimer.start(kConnectTimeoutMs);
    quint32 address = 0;
    if (StreamSocket::ParseDottedAddress(m_address, &address)) {
        ConnectTo(address);
        return;
    }
    m_lookupId = QHostInfo::lookupHost(m_address, this, [this](const QHostInfo &info) {
        m_lookupId = -1;
        for (const QHostAddress &found : info.addresses()) {
            if (found.protocol() == QAbstractSocket::IPv4Protocol) {
                ConnectTo(qToBigEndian(found.toIPv4Address()));
                return;
            }
        }
        End(LinkState::Unreachable, QStringLiteral("Indirizzo non risolto"));
    });
}

void ControllerLink::ConnectTo(quint32 address)
{
    m_fd = StreamSocket::Create();
    if (m_fd < 0) {
        const int error = -m_fd;
        m_fd = -1;
        End(LinkState::Unreachable, ConnectFailure(error));
        return;
    }
    const int started = StreamSocket::StartConnect(m_fd, address, m_port);
    if (started < 0) {
        End(LinkState::Unreachable, ConnectFailure(-started));
        return;
    }
    if (started == 0) {
        Connected();
        return;
    }
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &ControllerLink::OnWritable);
}

void ControllerLink::OnWritable()
{
    const int result = StreamSocket::ConnectResult(m_fd, &m_resetAtConnect);
    if (result == 1)
        return;
    if (result < 0) {
        End(LinkState::Unreachable, ConnectFailure(-result));
        return;
    }
    Connected();
}

void ControllerLink::OnConnectTimeout()
{
    if (m_connected)
        return;
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    End(LinkState::Unreachable, QStringLiteral("Tempo di collegamento scaduto"));
}

void ControllerLink::Connected()
{
    m_connectTimer.stop();
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    m_connected = true;
    m_connectedMs = SteadyMs();
    m_buffer.clear();
    m_tracker.Restart();
    m_rejected = false;
    m_wholeOnThisConnection = false;
    // A fresh socket always takes two bytes; anything else means it is gone.
    if (StreamSocket::Send(m_fd, kRefreshRequest, sizeof kRefreshRequest) != qint64(sizeof kRefreshRequest)) {
        End(LinkState::Error, QStringLiteral("Richiesta di aggiornamento non inviata"));
        return;
    }
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &ControllerLink::OnReadable);
}

void ControllerLink::OnReadable()
{
    char chunk[kReadChunk];
    m_changedUnits.reset();
    bool decoded = false;
    LinkState endState = LinkState::Online;
    QString endReason;
    for (int read = 0; read < kReadsPerTurn; ++read) {
        const qint64 count = StreamSocket::Receive(m_fd, chunk, sizeof chunk);
        if (count == -EAGAIN || count == -EWOULDBLOCK)
            break;
        if (count == 0) {
            if (m_resetAtConnect) {
                endState = LinkState::Error;
                endReason = QStringLiteral("Connessione interrotta dal controllore");
            } else {
                endState = LinkState::Closed;
                endReason = QStringLiteral("Connessione chiusa dal controllore");
            }
            break;
        }
        if (count < 0) {
            endState = LinkState::Error;
            endReason = count == -ECONNRESET ? QStringLiteral("Connessione interrotta dal controllore")
                                             : QStringLiteral("Errore di ricezione: %1")
                                                   .arg(QString::fromLocal8Bit(std::strerror(int(-count))));
            break;
        }
        m_bytes += quint64(count);
        m_buffer.append(chunk, int(count));
        decoded = m_parser.Parse(m_buffer, m_image) || decoded;
        if (m_rejected) {
            endState = LinkState::Error;
            endReason = QStringLiteral("Flusso non valido");
            break;
        }
    }

    if (decoded) {
        m_picture.Update(m_image);
        m_lastBlockMs = SteadyMs();
        const PanelUnits::Family family = Family();
        bool whole = family != m_sentFamily;
        m_sentFamily = family;
        if (!m_wholeOnThisConnection && m_tracker.IsWhole()) {
            // The whole panel is here again: the next wait starts short, and
            // the browsers get the panel whole.
            m_wholeOnThisConnection = true;
            m_hadWholePanel = true;
            m_backoff.Reset();
            whole = true;
        }
        if (m_state != LinkState::Online)
            SetState(LinkState::Online, QStringLiteral("Blocchi ricevuti"));
        if (whole || m_changedUnits.any())
            m_observer->OnPanelChanged(m_index, m_changedUnits, whole);
    }
    if (!endReason.isEmpty())
        End(endState, endReason);
}

void ControllerLink::OnBlockDecoded(int kind, int number)
{
    ++m_blocks;
    m_tracker.OnBlockDecoded(kind, number);
    const int unit = PanelUnits::UnitOfBlock(PanelUnits::FamilyOf(m_image.DisplayMode()), number);
    if (unit >= 0)
        m_changedUnits.set(std::size_t(unit));
}

void ControllerLink::OnStreamRejected()
{
    m_tracker.OnStreamRejected();
    m_rejected = true;
}

void ControllerLink::End(LinkState state, const QString &reason)
{
    DropSocket();
    SetState(state, reason);
    const int wait = m_backoff.NextWaitMs();
    m_retryAtMs = SteadyMs() + wait;
    m_retryTimer.start(wait);
    SetState(LinkState::Reconnecting, reason);
}

void ControllerLink::DropSocket()
{
    m_connectTimer.stop();
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (m_fd >= 0)
        StreamSocket::Abort(m_fd);
    m_fd = -1;
    m_connected = false;
    m_resetAtConnect = 0;
    m_buffer.clear();
}

void ControllerLink::SetState(LinkState state, const QString &reason)
{
    if (state == m_state)
        return;
    const LinkState from = m_state;
    qCDebug(lcWeb) << "link" << m_index << m_address << StateName(from) << "->" << StateName(state) << reason;
    m_state = state;
    m_reason = reason;
    m_since = QDateTime::currentDateTime();
    m_observer->OnLinkState(m_index, from, state, reason);
}
