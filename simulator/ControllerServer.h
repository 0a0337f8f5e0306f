#pragma once

#include "ControllerPanel.h"
#include "ControllerStatistics.h"
#include "KeyLog.h"
#include "ScreenSession.h"
#include "SimOptions.h"

#include <QList>
#include <QObject>
#include <QTime>
#include <functional>

class QTcpServer;
class QTimer;
class ReplaySession;
class StatsSession;

// One simulated controller: its screen service, which streams the panel to
// every console and takes key messages, and its statistics service, which
// pushes a record to every console once a period. Nothing a console does
// stops it: connections come and go, and odd bytes are just key messages.
class ControllerServer : public QObject, public ScreenUnitSource
{
    Q_OBJECT
    Q_DISABLE_COPY(ControllerServer)

public:
    using Clock = std::function<QTime()>;

    explicit ControllerServer(const SimOptions &options, QObject *parent = nullptr);
    ~ControllerServer() override;

    // Opens the key log and listens on both services. On failure `error`
    // says why and `exitCode` is the program's exit code for it.
    bool Start(QString *error, int *exitCode);
    quint16 ScreenPort() const;
    quint16 StatsPort() const;
    // Replaces the time of day the panel shows, so tests get fixed pictures.
    void SetClock(const Clock &clock);

    QList<ScreenSession *> ScreenSessions() const { return m_screenSessions; }
    QList<ReplaySession *> ReplaySessions() const { return m_replaySessions; }
    int StatsSessionCount() const { return m_statsSessions.size(); }
    const ControllerPanel &Panel() const { return m_panel; }

    int UnitCount() const override;
    QByteArray EncodeUnit(int unit, int wireNumber) const override;
    int InvalidUnitNumber() const override;

private:
    void OnScreenConnection();
    void StartReplay(QTcpSocket *socket);
    void OnStatsConnection();
    void OnKeyMessage(ScreenSession *session, quint8 flags, quint8 code);
    void OnRateTick();
    void OnStatsTick();
    void OnFloodStep();
    void ScheduleRedraw();
    void Redraw();
    void Note(const QString &text) const;
    quint32 NextSessionSeed();

    SimOptions m_options;
    ControllerPanel m_panel;
    PanelCanvas m_frame;
    ControllerStatistics m_statistics;
    KeyLog m_keyLog;
    QTcpServer *m_screenServer;
    QTcpServer *m_statsServer;
    QTimer *m_rateTimer;
    QTimer *m_statsTimer;
    QList<ScreenSession *> m_screenSessions;
    QList<StatsSession *> m_statsSessions;
    QList<ReplaySession *> m_replaySessions;
    Clock m_clock;
    bool m_redrawScheduled = false;
    quint32 m_sessionSerial = 0;
};
