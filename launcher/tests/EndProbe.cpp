// Helper for the launcher's end tests: a process whose way out hangs the
// way the launcher's did with the media back end, to show that it ends all
// the same. It prints "ready" once set up.
//   thread-exit: a thread of its own calls exit(3) (a library giving up on
//                a lost display) while the main thread waits for that thread
//                and an exit handler waits for a lock the main thread holds.
//   held:        the main thread is held up and never returns to its event
//                loop; the test then sends SIGTERM.
#include "startup/BoundedExit.h"
#include "startup/TerminationSignals.h"

#include <QCoreApplication>

#include <chrono>
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
    const QStringList arguments = QCoreApplication::arguments();
    const QString mode = arguments.value(1);

    TerminationSignals stopRequests(&application);
    g_backendLock.lock();
    std::atexit([] { g_backendLock.lock(); });
    BoundedExit::endAbruptExitsAtOnce();
    std::puts("ready");
    std::fflush(stdout);

    if (mode == QLatin1String("thread-exit")) {
        std::thread streaming([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            std::exit(3);
        });
        streaming.join();
    } else if (mode == QLatin1String("held")) {
        for (;;)
            ::pause();
    }
    return 2;
}
