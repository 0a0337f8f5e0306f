#include "PanelSession.h"

#include "FloorReports.h"
#include "PanelMessages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebSocket>

#include <algorithm>

namespace {

constexpr int kMinIntervalMs = 1000 / PanelSession::kMostUpdatesPerSecond;
// Text messages from a browser are small: a subscription at most.
constexpr quint64 kMostIncomingBytes = 64 * 1024;

// A server's frame: 2 header bytes, plus 2 or 8 for a longer payload.
qint64 FrameBytes(qint64 payload)
{
    return payload + (payload <= 125 ? 2 : payload <= 65535 ? 4 : 10);
}

QByteArray Compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

PanelSession::PanelSession(QWebSocket *socket, Floor &floor, QObject *parent)
    : QObject(parent),
      m_socket(socket),
      m_floor(floor),
      m_pending(std::size_t(floor.Count()))
{
    m_socket->setParent(this);
    m_socket->setMaxAllowedIncomingFrameSize(kMostIncomingBytes);
    m_socket->setMaxAllowedIncomingMessageSize(kMostIncomingBytes);
    m_dueTimer.setSingleShot(true);
    connect(&m_dueTimer, &QTimer::timeout, this, &PanelSession::FlushDue);
    connect(m_socket, &QWebSocket::textMessageReceived, this, &PanelSession::OnText);
    connect(m_socket, &QWebSocket::bytesWritten, this, &PanelSession::OnBytesWritten);
    connect(m_socket, &QWebSocket::disconnected, this, [this] {
        if (m_closed)
            return;
        m_closed = true;
        m_floor.RemoveWatcher(this);
        emit Closed(this);
    });
    m_floor.AddWatcher(this);

    const QJsonObject hello{
        {QStringLiteral("type"), QStringLiteral("controllers")},
        {QStringLiteral("controllers"), FloorReports::ControllersJson(m_floor, SteadyMs())},
        {QStringLiteral("events"),
         m_floor.Events().After(m_floor.Events().LastSequence() > quint64(kRecentEvents)
                                    ? m_floor.Events().LastSequence() - kRecentEvents
                                    : 0)},
    };
    SendText(Compact(hello));
}

PanelSession::~PanelSession()
{
    m_floor.RemoveWatcher(this);
}

void PanelSession::OnText(const QString &text)
{
    const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
    if (message.value(QStringLiteral("type")).toString() != QLatin1String("subscribe"))
        return;
    if (message.value(QStringLiteral("all")).toBool()) {
        for (int i = 0; i < m_floor.Count(); ++i)
            Subscribe(i);
        return;
    }
    for (const QJsonValue &address : message.value(QStringLiteral("addresses")).toArray()) {
        const int index = m_floor.IndexOf(address.toString());
        if (index >= 0)
            Subscribe(index);
    }
}

void PanelSession::Subscribe(int index)
{
    Pending &pending = m_pending[std::size_t(index)];
    if (pending.subscribed)
        return;
    pending.subscribed = true;
    pending.whole = true;
    pending.sentFamily = PanelUnits::Family::None;
    TrySend(index, SteadyMs());
}

void PanelSession::OnStateEvent(int index, const EventLog::Event &event)
{
    const QJsonObject message{
        {QStringLiteral("type"), QStringLiteral("state")},
        {QStringLiteral("controller"), FloorReports::ControllerJson(m_floor.Link(index), SteadyMs())},
        {QStringLiteral("event"), EventLog::ToJson(event)},
    };
    SendText(Compact(message));
}

void PanelSession::OnStateTexts(const QList<int> &indexes)
{
    const qint64 now = SteadyMs();
    QJsonArray controllers;
    for (const int index : indexes)
        controllers.append(FloorReports::ControllerJson(m_floor.Link(index), now));
    SendText(Compact(QJsonObject{{QStringLiteral("type"), QStringLiteral("texts")},
                                 {QStringLiteral("controllers"), controllers}}));
}

void PanelSession::OnPanelChanged(int index, const PanelUnits::UnitSet &units, bool whole)
{
    Pending &pending = m_pending[std::size_t(index)];
    if (!pending.subscribed)
        return;
    pending.units |= units;
    pending.whole = pending.whole || whole;
    TrySend(index, SteadyMs());
}

void PanelSession::TrySend(int index, qint64 nowMs)
{
    Pending &pending = m_pending[std::size_t(index)];
    const qint64 wait = pending.lastSentMs + kMinIntervalMs - nowMs;
    if (!Behind() && wait <= 0) {
        SendPanel(index, nowMs);
        return;
    }
    if (!pending.due) {
        pending.due = true;
        m_due.push_back(index);
    }
    if (!Behind() && (!m_dueTimer.isActive() || m_dueTimer.remainingTime() > wait))
        m_dueTimer.start(int(wait));
}

void PanelSession::SendPanel(int index, qint64 nowMs)
{
    Pending &pending = m_pending[std::size_t(index)];
    const ControllerLink &link = m_floor.Link(index);
    const PanelUnits::Family family = link.Family();
    if (family == PanelUnits::Family::None)
        return;
    if (family != pending.sentFamily) {
        SendText(PanelMessages::PaletteJson(index, family));
        pending.sentFamily = family;
        pending.whole = true;
    }
    // Changes that piled up while the browser was behind (or waited for its
    // turn) go as one message of the newest lines; when they cover most of
    // the panel, it goes whole instead.
    if (int(pending.units.count()) * 2 > PanelUnits::UnitCount(family))
        pending.whole = true;
    const QByteArray message = PanelMessages::Encode(index, link.Image(), pending.units, pending.whole);
    pending.units.reset();
    pending.whole = false;
    if (message.isEmpty())
        return;
    pending.lastSentMs = nowMs;
    SendBinary(message);
}

void PanelSession::FlushDue()
{
    const qint64 now = SteadyMs();
    const std::vector<int> due = std::move(m_due);
    m_due.clear();
    int soonest = -1;
    for (const int index : due) {
        Pending &pending = m_pending[std::size_t(index)];
        const qint64 wait = pending.lastSentMs + kMinIntervalMs - now;
        if (!Behind() && wait <= 0) {
            pending.due = false;
            SendPanel(index, now);
            continue;
        }
        m_due.push_back(index);
        if (!Behind() && (soonest < 0 || wait < soonest))
            soonest = int(wait);
    }
    if (soonest >= 0)
        m_dueTimer.start(soonest);
}

void PanelSession::OnBytesWritten(qint64 bytes)
{
    const bool wasBehind = Behind();
    m_unsent = std::max<qint64>(0, m_unsent - bytes);
    if (wasBehind && m_unsent <= kBehindBytes / 2)
        FlushDue();
}

void PanelSession::SendText(const QByteArray &json)
{
    if (m_closed)
        return;
    Count(json.size());
    m_socket->sendTextMessage(QString::fromUtf8(json));
}

void PanelSession::SendBinary(const QByteArray &bytes)
{
    if (m_closed)
        return;
    Count(bytes.size());
    m_socket->sendBinaryMessage(bytes);
}

void PanelSession::Count(qint64 payload)
{
    m_unsent += FrameBytes(payload);
    if (m_unsent > kGiveUpBytes) {
        // Reads nothing at all: let go rather than hold more for it.
        m_socket->abort();
    }
}
