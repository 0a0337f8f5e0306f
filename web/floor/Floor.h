#pragma once

#include "ControllerLink.h"
#include "EventLog.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <vector>

// What the floor tells those who show it (the browsers' sessions).
class FloorWatcher
{
public:
    virtual ~FloorWatcher() = default;
    // A controller changed state; the event is already in the log.
    virtual void OnStateEvent(int index, const EventLog::Event &event) = 0;
    // Once a second: the controllers whose state text changed (seconds of
    // silence, seconds left before the next attempt).
    virtual void OnStateTexts(const QList<int> &indexes) = 0;
    virtual void OnPanelChanged(int index, const PanelUnits::UnitSet &units, bool whole) = 0;
};

// Every controller of the channel list with its link, in list order, and
// the log of their changes of state.
class Floor : public QObject, private LinkObserver
{
    Q_OBJECT
    Q_DISABLE_COPY(Floor)

public:
    // port: the controllers' screen service; tests and benchmarks put their
    // stand-ins elsewhere only through it.
    explicit Floor(const QStringList &addresses, quint16 port, QRandomGenerator *random = nullptr,
                   QObject *parent = nullptr);
    ~Floor() override;

    void Start();

    int Count() const { return int(m_links.size()); }
    const ControllerLink &Link(int index) const { return *m_links[std::size_t(index)]; }
    // The index of an address in the list, or -1.
    int IndexOf(const QString &address) const;

    EventLog &Events() { return m_events; }
    const EventLog &Events() const { return m_events; }

    // Not owned; a watcher removes itself before it goes.
    void AddWatcher(FloorWatcher *watcher);
    void RemoveWatcher(FloorWatcher *watcher);

private:
    void Tick();
    void OnLinkState(int index, LinkState from, LinkState to, const QString &reason) override;
    void OnPanelChanged(int index, const PanelUnits::UnitSet &units, bool whole) override;

    std::vector<std::unique_ptr<ControllerLink>> m_links;
    std::vector<QString> m_shownTexts;
    std::vector<FloorWatcher *> m_watchers;
    EventLog m_events;
    QTimer m_tick;
};
