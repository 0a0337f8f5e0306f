#pragma once

#include <QString>

class QRandomGenerator;

// How the daemon's connection to one controller stands, as the plant's
// browsers see it. Every state has a name for programs (JSON, data-state)
// and an Italian text for people.
enum class LinkState {
    Online,       // a block within the last kOnlineSeconds
    Silent,       // connected, but nothing for a while
    Closed,       // the controller closed the connection in order
    Error,        // reset, or a stream the console's parser rejects
    Unreachable,  // refused, unreachable, name not resolved, timed out
    Reconnecting, // waiting for the next attempt
};

constexpr int kOnlineSeconds = 5;

QString StateName(LinkState state);
// "seconds" is the silence for Silent and the wait left for Reconnecting.
QString StateText(LinkState state, int seconds);

// The waits between attempts to reach one controller: about 1 s first,
// doubling to at most 30 s, each spread by up to 20 % either way so that the
// controllers of a plant do not retry in step. Only a whole panel on a new
// connection brings the wait back to 1 s, so a controller that accepts and
// closes at once keeps backing off.
class ReconnectBackoff
{
public:
    static constexpr int kFirstMs = 1000;
    static constexpr int kLongestMs = 30000;
    static constexpr int kSpreadPercent = 20;
    static constexpr int kStartOffsetMs = 1000;

    // Not owned; the global generator when null.
    explicit ReconnectBackoff(QRandomGenerator *random = nullptr);

    // The wait before the next attempt; the one after it is twice as long.
    int NextWaitMs();
    void Reset() { m_baseMs = kFirstMs; }
    // A random delay of up to 1 s before the very first attempt.
    int StartOffsetMs();

private:
    QRandomGenerator *m_random;
    int m_baseMs = kFirstMs;
};
