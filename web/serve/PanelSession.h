#pragma once

#include "Floor.h"
#include "PanelUnits.h"

#include <QObject>
#include <QTimer>

#include <vector>

class QWebSocket;

// One browser's WebSocket: tells it the controllers and every change of
// state, and pushes the panels it subscribed to, whole at first (and after
// a reconnection), then only the bands or lines that changed, at most
// kMostUpdatesPerSecond times a second per controller.
//
// Only what changed is remembered for a browser, never the bytes: per
// controller a set of units and a "whole" mark, filled from the picture as
// it stands when the message goes. A browser that reads slowly therefore
// never makes the daemon's memory grow; once more than kBehindBytes wait
// for it, it is sent nothing more until it catches up, and then gets the
// newest state of what changed meanwhile: the lines or bands that changed,
// or the whole panel when they cover most of it.
class PanelSession : public QObject, private FloorWatcher
{
    Q_OBJECT
    Q_DISABLE_COPY(PanelSession)

public:
    static constexpr int kMostUpdatesPerSecond = 4;
    static constexpr qint64 kBehindBytes = 256 * 1024;
    // A browser that reads nothing at all is let go before this much waits.
    static constexpr qint64 kGiveUpBytes = 8 * 1024 * 1024;
    static constexpr int kRecentEvents = 100;

    // Takes the socket (a child of the session from now on).
    PanelSession(QWebSocket *socket, Floor &floor, QObject *parent = nullptr);
    ~PanelSession() override;

    // Bytes handed to the socket that have not gone out yet.
    qint64 UnsentBytes() const { return m_unsent; }

signals:
    void Closed(PanelSession *session);

private:
    struct Pending
    {
        PanelUnits::UnitSet units;
        bool whole = false;
        bool subscribed = false;
        bool due = false;
        PanelUnits::Family sentFamily = PanelUnits::Family::None;
        qint64 lastSentMs = -1000000;
    };

    void OnStateEvent(int index, const EventLog::Event &event) override;
    void OnStateTexts(const QList<int> &indexes) override;
    void OnPanelChanged(int index, const PanelUnits::UnitSet &units, bool whole) override;

    void OnText(const QString &text);
    void OnBytesWritten(qint64 bytes);
    void Subscribe(int index);
    void TrySend(int index, qint64 nowMs);
    void SendPanel(int index, qint64 nowMs);
    void FlushDue();
    void SendText(const QByteArray &json);
    void SendBinary(const QByteArray &bytes);
    void Count(qint64 payload);
    bool Behind() const { return m_unsent > kBehindBytes; }

    QWebSocket *m_socket;
    Floor &m_floor;
    std::vector<Pending> m_pending;
    std::vector<int> m_due;
    QTimer m_dueTimer;
    qint64 m_unsent = 0;
    bool m_closed = false;
};
