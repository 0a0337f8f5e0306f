#pragma once

#include <QHash>
#include <QObject>

#include <functional>

class QSocketNotifier;

// Watches the sockets of every channel for bytes to read through one epoll
// set, which the event loop watches as a single descriptor. The event loop
// polls every descriptor it watches on each wake-up; with hundreds of
// controllers open, one descriptor in their place keeps a wake-up as cheap
// as with one controller, and pausing or resuming a socket costs no walk
// over all the others.
//
// A watched socket that has bytes (or whose connection ended) calls its
// handler from the event loop, again on every turn while that holds, as a
// socket notifier would; a paused socket is not looked at.
class ReadWatch : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(ReadWatch)

public:
    using Handler = std::function<void()>;

    // The one watch of the user-interface thread, made on first use and
    // gone once no socket is watched (so hand it no socket after the last
    // Remove; acquire it again instead).
    static ReadWatch *Acquire();

    // Starts watching fd; the handler runs while it is readable. Returns the
    // id that names the socket to the other calls.
    quint64 Add(int fd, Handler handler);
    // Stops watching, before the socket is closed. The handler is never
    // called again, also not later in a round already under way.
    void Remove(quint64 id);
    void SetPaused(quint64 id, bool paused);
    bool IsPaused(quint64 id) const;

private:
    ReadWatch();
    ~ReadWatch() override;
    void OnReady();

    struct Entry
    {
        int fd = -1;
        bool paused = false;
        Handler handler;
    };
    int m_epoll = -1;
    QSocketNotifier *m_notifier = nullptr;
    QHash<quint64, Entry> m_entries;
    quint64 m_nextId = 1;
    int m_roundDepth = 0;
    bool m_endAfterRound = false;
};
