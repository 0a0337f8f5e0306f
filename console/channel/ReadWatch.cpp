#include "ReadWatch.h"

#include <QSocketNotifier>

#include <sys/epoll.h>
#include <unistd.h>

namespace {

ReadWatch *g_watch = nullptr;

// Sockets reported per look; the rest are reported on the next turn.
constexpr int kEventsPerTurn = 64;

} // namespace

ReadWatch *ReadWatch::Acquire()
{
    if (!g_watch)
        g_watch = new ReadWatch;
    return g_watch;
}

ReadWatch::ReadWatch()
{
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    if (m_epoll >= 0) {
        m_notifier = new QSocketNotifier(m_epoll, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &ReadWatch::OnReady);
    }
}

ReadWatch::~ReadWatch()
{
    delete m_notifier;
    if (m_epoll >= 0)
        ::close(m_epoll);
    if (g_watch == this)
        g_watch = nullptr;
}

quint64 ReadWatch::Add(int fd, Handler handler)
{
    const quint64 id = m_nextId++;
    m_entries.insert(id, Entry{fd, true, std::move(handler)});
    SetPaused(id, false);
    return id;
}

void ReadWatch::Remove(quint64 id)
{
    SetPaused(id, true);
    m_entries.remove(id);
    if (!m_entries.isEmpty())
        return;
    // The last socket gone: so is the watch, at once or after the round
    // under way; a socket watched from now on gets a new one.
    if (g_watch == this)
        g_watch = nullptr;
    if (m_roundDepth > 0)
        m_endAfterRound = true;
    else
        delete this;
}

void ReadWatch::SetPaused(quint64 id, bool paused)
{
    const auto entry = m_entries.find(id);
    if (entry == m_entries.end() || entry->paused == paused)
        return;
    entry->paused = paused;
    // A paused socket leaves the set altogether: an ended connection would
    // otherwise be reported on every turn whatever it is asked for.
    if (paused) {
        ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, entry->fd, nullptr);
        return;
    }
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = id;
    ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, entry->fd, &event);
}

bool ReadWatch::IsPaused(quint64 id) const
{
    const auto entry = m_entries.constFind(id);
    return entry == m_entries.constEnd() || entry->paused;
}

void ReadWatch::OnReady()
{
    epoll_event ready[kEventsPerTurn];
    const int count = ::epoll_wait(m_epoll, ready, kEventsPerTurn, 0);
    // A handler may run an event loop of its own (a message box), in which
    // this watch reports again.
    ++m_roundDepth;
    for (int i = 0; i < count; ++i) {
        // A handler may remove other sockets, or pause them, meanwhile.
        const auto entry = m_entries.constFind(ready[i].data.u64);
        if (entry == m_entries.constEnd() || entry->paused)
            continue;
        const Handler handler = entry->handler;
        handler();
    }
    if (--m_roundDepth == 0 && m_endAfterRound)
        delete this;
}
