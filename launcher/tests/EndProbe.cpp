// Helper for the launcher's end tests: its way out hangs as the launcher's
// did with the media back end. It prints "ready" once set up; then
//   thread-exit: a thread of its own calls exit(3), as a library giving up
//                on a lost display, while the main thread waits for that
//                thread and an exit handler for a lock the main thread holds;
//   held:        its main thread never returns to the event loop.
#include "startup/BoundedExit.h"
#include "startup/TerminationSignals.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace {
std::mutex g_backendLock;
}

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    TerminationSignals stopRequests(&application);
    g_backendLock.lock();
    std::atexit([] { g_backendLock.lock(); });
    BoundedExit::endAbruptExitsAtOnce();
    std::puts("ready");
    std::fflush(stdout);
    if (QCoreApplication::arguments().value(1) == QLatin1String("thread-exit"))
        std::thread([] { std::exit(3); }).join();
    for (;;)
        ::pause();
}
