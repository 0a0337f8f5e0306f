#include "ControllerServer.h"

#include "ReplaySession.h"
#include "ScreenEncoder.h"
#include "StreamRecording.h"
#include "StatsSession.h"

#include <QTcpServer>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <cstdio>

namespace {

PanelIdentity IdentityOf(const SimOptions &options)
{
    PanelIdentity identity;
    identity.address = options.address.toString();
    identity.format = options.format;
    identity.layout = options.layout;
    identity.chipId = options.chipId;
    identity.revision = options.revision;
    return identity;
}

FaultSettings FaultsOf(const SimOptions &options)
{
    FaultSettings faults;
    faults.invalidKindAfter = options.invalidKindAfter;
    faults.badLineAfter = options.badLineAfter;
    faults.closeAfter = options.closeAfter;
    faults.stallAfter = options.stallAfter;
    return faults;
}

} // namespace

ControllerServer::ControllerServer(const SimOptions &options, QObject *parent)
    : QObject(parent),
      m_options(options),
      m_panel(IdentityOf(options), options.flood),
      m_statistics(options.chipId, options.revision, options.seed),
      m_screenServer(new QTcpServer(this)),
      m_statsServer(new QTcpServer(this)),
      m_rateTimer(new QTimer(this)),
      m_statsTimer(new QTimer(this)),
      m_clock([] { return QTime::currentTime(); })
{
    m_screenServer->setMaxPendingConnections(options.maxConnections);
    m_statsServer->setMaxPendingConnections(options.maxConnections);
    connect(m_screenServer, &QTcpServer::newConnection, this, &ControllerServer::OnScreenConnection);
    connect(m_statsServer, &QTcpServer::newConnection, this, &ControllerServer::OnStatsConnection);
    connect(m_rateTimer, &QTimer::timeout, this, &ControllerServer::OnRateTick);
    connect(m_statsTimer, &QTimer::timeout, this, &ControllerServer::OnStatsTick);
    m_frame = m_panel.Render(m_clock());
}

ControllerServer::~ControllerServer()
{
    // Sessions go first, while the panel they encode from still exists.
    qDeleteAll(QList<ScreenSession *>(m_screenSessions));
    qDeleteAll(QList<ReplaySession *>(m_replaySessions));
    qDeleteAll(QList<StatsSession *>(m_statsSessions));
}

bool ControllerServer::Start(QString *error, int *exitCode)
{
    if (!m_keyLog.Open(m_options.keyLog, error)) {
        *exitCode = kExitBadCommandLine;
        return false;
    }
    if (!m_options.replayFile.isEmpty()) {
        // The whole recording is read through once, so a damaged one is
        // refused here and not halfway through a console's replay.
        StreamRecording::Summary summary;
        if (!RecordingReader::Check(m_options.replayFile, &summary, error)) {
            *error = QStringLiteral("cannot replay: %1").arg(*error);
            *exitCode = kExitBadRecording;
            return false;
        }
        Note(QStringLiteral("replaying %1: %2 bytes in %3 reads over %4 s, recorded from %5")
                 .arg(m_options.replayFile)
                 .arg(summary.bytes)
                 .arg(summary.records)
                 .arg(double(summary.lastMicros) / 1e6, 0, 'f', 3)
                 .arg(summary.header.address));
    }
    const struct {
        QTcpServer *server;
        quint16 port;
        const char *name;
    } services[] = {
        {m_screenServer, m_options.screenPort, "screen"},
        {m_statsServer, m_options.statsPort, "statistics"},
    };
    for (const auto &service : services) {
        if (service.server->listen(m_options.address, service.port))
            continue;
        const bool inUse = service.server->serverError() == QAbstractSocket::AddressInUseError;
        *exitCode = inUse ? kExitPortInUse : kExitCannotListen;
        *error = QStringLiteral("cannot listen for the %1 service on %2 port %3: %4")
                     .arg(QLatin1String(service.name), m_options.address.toString())
                     .arg(service.port)
                     .arg(inUse ? QStringLiteral("the port is already in use") : service.server->errorString());
        m_screenServer->close();
        m_statsServer->close();
        return false;
    }
    // A replaying controller shows the recorded panel only; its own panel
    // never goes out, so it is not redrawn either.
    if (m_options.replayFile.isEmpty())
        m_rateTimer->start(m_options.rateMs);
    m_statsTimer->start(m_options.statsMs);
    return true;
}

quint16 ControllerServer::ScreenPort() const
{
    return m_screenServer->serverPort();
}

quint16 ControllerServer::StatsPort() const
{
    return m_statsServer->serverPort();
}

void ControllerServer::SetClock(const Clock &clock)
{
    m_clock = clock;
    m_frame = m_panel.Render(m_clock());
}

int ControllerServer::UnitCount() const
{
    return ::UnitCount(m_options.format);
}

QByteArray ControllerServer::EncodeUnit(int unit, int wireNumber) const
{
    return EncodeScreenBlock(m_options.format, m_options.layout, m_frame, unit, wireNumber);
}

int ControllerServer::InvalidUnitNumber() const
{
    return FirstInvalidUnitNumber(m_options.format);
}

quint32 ControllerServer::NextSessionSeed()
{
    return m_options.seed + 7919u * ++m_sessionSerial;
}

void ControllerServer::Note(const QString &text) const
{
    if (m_options.quiet)
        return;
    std::fprintf(stderr, "ctrlsim %s: %s\n", qPrintable(m_options.address.toString()), qPrintable(text));
    std::fflush(stderr);
}

void ControllerServer::OnScreenConnection()
{
    while (QTcpSocket *socket = m_screenServer->nextPendingConnection()) {
        const int connected = m_screenSessions.size() + m_replaySessions.size();
        if (connected >= m_options.maxConnections) {
            Note(QStringLiteral("screen: refusing %1, %2 consoles already connected")
                     .arg(socket->peerAddress().toString())
                     .arg(connected));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (!m_options.replayFile.isEmpty()) {
            StartReplay(socket);
            continue;
        }
        // Redraw the console count first, so the newcomer's first full panel
        // is already the current one and only the others get the changed lines.
        m_panel.SetConsoleCount(m_screenSessions.size() + 1);
        Redraw();
        auto *session = new ScreenSession(socket, this, FaultsOf(m_options), m_options.splitWrites,
                                          m_options.flood, NextSessionSeed(), this);
        m_screenSessions.append(session);
        connect(session, &ScreenSession::KeyMessageReceived, this,
                [this, session](quint8 flags, quint8 code) { OnKeyMessage(session, flags, code); });
        connect(session, &ScreenSession::BytesReceived, this,
                [this](qint64 bytes) { m_statistics.CountReceived(bytes, 1); });
        connect(session, &ScreenSession::BytesSent, this,
                [this](qint64 bytes, int blocks) { m_statistics.CountSent(bytes, blocks); });
        connect(session, &ScreenSession::WantsFloodStep, this, &ControllerServer::OnFloodStep);
        connect(session, &ScreenSession::FaultCommitted, this, [this, session](const QString &what) {
            Note(QStringLiteral("screen %1: fault: %2").arg(session->PeerName(), what));
        });
        connect(session, &ScreenSession::Finished, this, [this, session] {
            m_screenSessions.removeOne(session);
            session->deleteLater();
            Note(QStringLiteral("screen: console %1 left (%2 connected)")
                     .arg(session->PeerName())
                     .arg(m_screenSessions.size()));
            m_panel.SetConsoleCount(m_screenSessions.size());
            ScheduleRedraw();
        });
        Note(QStringLiteral("screen: console %1 connected (%2 connected)")
                 .arg(session->PeerName())
                 .arg(m_screenSessions.size()));
    }
}

void ControllerServer::StartReplay(QTcpSocket *socket)
{
    auto *session = new ReplaySession(socket, m_options.replayFile, m_options.replaySpeed, m_options.replayLoop, this);
    m_replaySessions.append(session);
    // Keys are logged as from a live controller; the recorded panel cannot
    // answer them, so a refresh request changes nothing either.
    connect(session, &ReplaySession::KeyMessageReceived, this,
            [this](quint8 flags, quint8 code) { m_keyLog.Write(flags, code); });
    connect(session, &ReplaySession::BytesReceived, this,
            [this](qint64 bytes) { m_statistics.CountReceived(bytes, 1); });
    connect(session, &ReplaySession::BytesSent, this,
            [this](qint64 bytes, int writes) { m_statistics.CountSent(bytes, writes); });
    connect(session, &ReplaySession::ReplayFailed, this, [this, session](const QString &reason) {
        Note(QStringLiteral("screen %1: replay stopped: %2").arg(session->PeerName(), reason));
    });
    connect(session, &ReplaySession::Finished, this, [this, session] {
        m_replaySessions.removeOne(session);
        session->deleteLater();
        Note(QStringLiteral("screen: console %1 left (%2 connected)")
                 .arg(session->PeerName())
                 .arg(m_replaySessions.size()));
    });
    Note(QStringLiteral("screen: console %1 connected, replaying (%2 connected)")
             .arg(session->PeerName())
             .arg(m_replaySessions.size()));
    QString error;
    if (!session->Start(&error))
        Note(QStringLiteral("screen %1: replay failed: %2").arg(session->PeerName(), error));
}

void ControllerServer::OnStatsConnection()
{
    while (QTcpSocket *socket = m_statsServer->nextPendingConnection()) {
        if (m_statsSessions.size() >= m_options.maxConnections) {
            Note(QStringLiteral("statistics: refusing %1, %2 consoles already connected")
                     .arg(socket->peerAddress().toString())
                     .arg(m_statsSessions.size()));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto *session = new StatsSession(socket, m_options.splitWrites, NextSessionSeed(), this);
        m_statsSessions.append(session);
        connect(session, &StatsSession::BytesReceived, this,
                [this](qint64 bytes) { m_statistics.CountReceived(bytes, 1); });
        connect(session, &StatsSession::Finished, this, [this, session] {
            m_statsSessions.removeOne(session);
            session->deleteLater();
            Note(QStringLiteral("statistics: console %1 left").arg(session->PeerName()));
        });
        Note(QStringLiteral("statistics: console %1 connected").arg(session->PeerName()));
        // A new statistics window shows figures at once instead of after a period.
        if (session->Push(EncodeStatisticsRecord(m_statistics.Values())))
            m_statistics.CountSent(kStatsRecordSize, 1);
    }
}

void ControllerServer::OnKeyMessage(ScreenSession *session, quint8 flags, quint8 code)
{
    m_keyLog.Write(flags, code);
    if (IsRefreshRequest(flags, code)) {
        session->MarkAllDirty();
        return;
    }
    m_panel.ApplyKey(flags, code);
    ScheduleRedraw();
}

void ControllerServer::OnRateTick()
{
    m_panel.Tick();
    Redraw();
}

void ControllerServer::OnStatsTick()
{
    m_statistics.AdvanceSecond();
    const QByteArray record = EncodeStatisticsRecord(m_statistics.Values());
    for (StatsSession *session : QList<StatsSession *>(m_statsSessions)) {
        if (session->Push(record))
            m_statistics.CountSent(record.size(), 1);
    }
}

void ControllerServer::OnFloodStep()
{
    m_panel.AdvanceFlood();
    m_panel.DrawFloodStrip(m_frame);
    // The stripe runs through every row, so every unit changed.
    QBitArray all(UnitCount(), true);
    for (ScreenSession *session : QList<ScreenSession *>(m_screenSessions))
        session->MarkDirty(all);
}

void ControllerServer::ScheduleRedraw()
{
    if (m_redrawScheduled)
        return;
    m_redrawScheduled = true;
    // Keys of one read and connection changes of one pass cost one redraw.
    QMetaObject::invokeMethod(this, &ControllerServer::Redraw, Qt::QueuedConnection);
}

void ControllerServer::Redraw()
{
    m_redrawScheduled = false;
    PanelCanvas next = m_panel.Render(m_clock());
    const int units = UnitCount();
    const int rows = UnitRowCount(m_options.format);
    QBitArray changed(units);
    bool anyChanged = false;
    for (int unit = 0; unit < units; ++unit) {
        if (!next.RowsEqual(m_frame, UnitFirstRow(m_options.format, unit), rows)) {
            changed.setBit(unit);
            anyChanged = true;
        }
    }
    m_frame = next;
    if (!anyChanged)
        return;
    for (ScreenSession *session : QList<ScreenSession *>(m_screenSessions))
        session->MarkDirty(changed);
}
