#include "Floor.h"

#include <algorithm>

Floor::Floor(const QStringList &addresses, quint16 port, QRandomGenerator *random, QObject *parent)
    : QObject(parent)
{
    m_links.reserve(std::size_t(addresses.size()));
    for (const QString &address : addresses)
        m_links.push_back(std::make_unique<ControllerLink>(int(m_links.size()), address, port,
                                                          static_cast<LinkObserver *>(this), random));
    m_shownTexts.resize(m_links.size());
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &Floor::Tick);
}

Floor::~Floor()
{
    // The links report to this floor; they go first.
    m_links.clear();
}

void Floor::Start()
{
    const qint64 now = SteadyMs();
    for (std::size_t i = 0; i < m_links.size(); ++i) {
        m_links[i]->Start();
        m_shownTexts[i] = m_links[i]->StateTextAt(now);
    }
    m_tick.start();
}

int Floor::IndexOf(const QString &address) const
{
    for (const auto &link : m_links) {
        if (link->Address() == address)
            return link->Index();
    }
    return -1;
}

void Floor::AddWatcher(FloorWatcher *watcher)
{
    m_watchers.push_back(watcher);
}

void Floor::RemoveWatcher(FloorWatcher *watcher)
{
    m_watchers.erase(std::remove(m_watchers.begin(), m_watchers.end(), watcher), m_watchers.end());
}

void Floor::Tick()
{
    const qint64 now = SteadyMs();
    QList<int> changed;
    for (std::size_t i = 0; i < m_links.size(); ++i) {
        m_links[i]->CheckSilence(now);
        const QString text = m_links[i]->StateTextAt(now);
        if (text != m_shownTexts[i]) {
            m_shownTexts[i] = text;
            changed << int(i);
        }
    }
    if (changed.isEmpty())
        return;
    // A watcher may remove itself while told.
    const auto watchers = m_watchers;
    for (FloorWatcher *watcher : watchers)
        watcher->OnStateTexts(changed);
}

void Floor::OnLinkState(int index, LinkState from, LinkState to, const QString &reason)
{
    const ControllerLink &link = *m_links[std::size_t(index)];
    const EventLog::Event &event = m_events.Append(link.Address(), from, to, reason);
    m_shownTexts[std::size_t(index)] = link.StateTextAt(SteadyMs());
    const auto watchers = m_watchers;
    for (FloorWatcher *watcher : watchers)
        watcher->OnStateEvent(index, event);
}

void Floor::OnPanelChanged(int index, const PanelUnits::UnitSet &units, bool whole)
{
    const auto watchers = m_watchers;
    for (FloorWatcher *watcher : watchers)
        watcher->OnPanelChanged(index, units, whole);
}
