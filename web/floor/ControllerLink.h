#pragma once

#include "LinkState.h"
#include "PanelPicture.h"
#include "PanelUnits.h"
#include "ScreenBlockParser.h"
#include "ScreenImage.h"
#include "WholePanelTracker.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

// What a link reports to the floor it belongs to.
class LinkObserver
{
public:
    virtual ~LinkObserver() = default;
    virtual void OnLinkState(int index, LinkState from, LinkState to, const QString &reason) = 0;
    // Bands or lines that changed in the image. "whole": every unit is to be
    // sent again (a new palette, or a whole panel on a new connection).
    virtual void OnPanelChanged(int index, const PanelUnits::UnitSet &units, bool whole) = 0;
};

// The daemon's read-only connection to one controller's screen service:
// connects as the console does, asks once for the whole panel (the refresh
// request) and from then on only listens, decoding with the console's
// parser. After every end it tries again, waiting longer each time, and
// keeps the last picture.
class ControllerLink : public QObject, private ScreenBlockObserver
{
    Q_OBJECT
    Q_DISABLE_COPY(ControllerLink)

public:
    static constexpr int kConnectTimeoutMs = 10000;

    ControllerLink(int index, const QString &address, quint16 port, LinkObserver *observer,
                   QRandomGenerator *random = nullptr, QObject *parent = nullptr);
    ~ControllerLink() override;

    // The first attempt, after a random delay of up to 1 s.
    void Start();
    // Called about once a second: an open connection without blocks for
    // kOnlineSeconds goes silent.
    void CheckSilence(qint64 nowMs);

    int Index() const { return m_index; }
    const QString &Address() const { return m_address; }
    LinkState State() const { return m_state; }
    const QString &Reason() const { return m_reason; }
    QDateTime Since() const { return m_since; }
    // The number the state text shows: seconds of silence, or seconds left
    // before the next attempt.
    int StateSeconds(qint64 nowMs) const;
    QString StateTextAt(qint64 nowMs) const { return StateText(m_state, StateSeconds(nowMs)); }
    // -1 before the first block.
    qint64 LastBlockAgeMs(qint64 nowMs) const { return m_lastBlockMs < 0 ? -1 : nowMs - m_lastBlockMs; }

    const ScreenImage &Image() const { return m_image; }
    const PanelPicture &Picture() const { return m_picture; }
    PanelUnits::Family Family() const { return PanelUnits::FamilyOf(m_image.DisplayMode()); }
    // "mono", "raw", "rle", or empty before the first block.
    QString FormatName() const;
    // A whole panel arrived at some time (the picture is complete).
    bool HasWholePanel() const { return m_hadWholePanel; }

    quint64 BytesReceived() const { return m_bytes; }
    quint64 Blocks() const { return m_blocks; }
    quint64 Reconnects() const { return m_reconnects; }

private:
    void Attempt();
    void ConnectTo(quint32 address);
    void OnWritable();
    void OnReadable();
    void OnConnectTimeout();
    void Connected();
    void End(LinkState state, const QString &reason);
    void DropSocket();
    void SetState(LinkState state, const QString &reason);

    void OnBlockDecoded(int kind, int number) override;
    void OnStreamRejected() override;

    const int m_index;
    const QString m_address;
    const quint16 m_port;
    LinkObserver *m_observer;
    ReconnectBackoff m_backoff;

    int m_fd = -1;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    int m_lookupId = -1;
    bool m_connected = false;
    int m_resetAtConnect = 0;
    QTimer m_retryTimer;
    QTimer m_connectTimer;
    qint64 m_retryAtMs = 0;
    qint64 m_connectedMs = 0;

    QByteArray m_buffer;
    ScreenImage m_image;
    PanelPicture m_picture;
    ScreenBlockParser m_parser;
    WholePanelTracker m_tracker;
    PanelUnits::UnitSet m_changedUnits;
    PanelUnits::Family m_sentFamily = PanelUnits::Family::None;
    bool m_rejected = false;
    bool m_wholeOnThisConnection = false;
    bool m_hadWholePanel = false;

    LinkState m_state = LinkState::Reconnecting;
    QString m_reason;
    QDateTime m_since;
    qint64 m_lastBlockMs = -1;
    quint64 m_bytes = 0;
    quint64 m_blocks = 0;
    quint64 m_reconnects = 0;
    int m_attempts = 0;
};

// The steady clock of the daemon, in ms.
qint64 SteadyMs();
