#include "BoundedExit.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace {

std::atomic<bool> g_orderlyExit{false};
std::atomic<bool> g_deadlineArmed{false};
timer_t g_deadlineTimer;
std::atomic<bool> g_deadlineReady{false};

void endAbruptExit(int status, void *)
{
    if (!g_orderlyExit.load())
        ::_exit(status);
}

void onDeadline(int)
{
    ::_exit(0);
}

} // namespace

namespace BoundedExit {

void endAbruptExitsAtOnce()
{
    ::on_exit(endAbruptExit, nullptr);
}

void allowOrderlyExit()
{
    g_orderlyExit.store(true);
}

void prepareDeadline()
{
    if (g_deadlineReady.load())
        return;
    struct sigaction action = {};
    action.sa_handler = onDeadline;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGALRM, &action, nullptr);
    struct sigevent event = {};
    event.sigev_notify = SIGEV_SIGNAL;
    event.sigev_signo = SIGALRM;
    if (::timer_create(CLOCK_MONOTONIC, &event, &g_deadlineTimer) == 0)
        g_deadlineReady.store(true);
}

void armDeadline()
{
    if (!g_deadlineReady.load() || g_deadlineArmed.exchange(true))
        return;
    struct itimerspec when = {};
    when.it_value.tv_sec = deadlineMs / 1000;
    when.it_value.tv_nsec = long(deadlineMs % 1000) * 1000000L;
    ::timer_settime(g_deadlineTimer, 0, &when, nullptr);
}

} // namespace BoundedExit
