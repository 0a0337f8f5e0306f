// Figures of the on-screen keypads:
//  - the time from a PC key event reaching the console to its key message
//    arriving at a controller stand-in on loopback (median and worst);
//  - the console's processor share while idle, with no keypad and with a
//    keypad shown (a keypad runs a pass only when something happens);
//  - under an X server, one read of the physical key map, which a pass
//    makes when a key release has to be told from a repeat's (the key
//    events here carry no scan code and never need it).
//
// Usage: keyboard_bench [key events, default 2000] [idle seconds, default 3]

#include "KeyboardDlg.h"
#include "KeyboardSet.h"
#include "KprotChannel.h"
#include "KprotListener.h"
#include "PhysicalKeyMap.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char *const kAddress = "127.0.0.42";

// A controller stand-in on its own thread: takes one connection and stamps
// the arrival of every two-byte key message.
class KeyReceiver
{
public:
    explicit KeyReceiver(int capacity) : m_arrivals(size_t(capacity)) {}
    ~KeyReceiver()
    {
        if (m_thread.joinable())
            m_thread.join();
        if (m_listener >= 0)
            ::close(m_listener);
    }

    bool Listen()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = 0;
        ::inet_pton(AF_INET, kAddress, &address.sin_addr);
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
            || ::listen(m_listener, 1) != 0)
            return false;
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Run(); });
        return true;
    }

    quint16 Port() const { return m_port; }
    int Count() const { return m_count.load(std::memory_order_acquire); }
    Clock::time_point Arrival(int i) const { return m_arrivals[size_t(i)]; }

private:
    void Run()
    {
        const int connection = ::accept(m_listener, nullptr, nullptr);
        if (connection < 0)
            return;
        char buffer[256];
        int pending = 0;
        for (;;) {
            const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            const auto now = Clock::now();
            pending += int(got);
            while (pending >= 2) {
                pending -= 2;
                const int index = m_count.load(std::memory_order_relaxed);
                if (index < int(m_arrivals.size()))
                    m_arrivals[size_t(index)] = now;
                m_count.store(index + 1, std::memory_order_release);
            }
        }
        ::close(connection);
    }

    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    std::vector<Clock::time_point> m_arrivals;
    std::atomic<int> m_count{0};
};

class DroppingListener final : public CKprotListener
{
public:
    explicit DroppingListener(CKprotChannel *channel) : m_channel(channel) {}
    void OnChannelData() override { m_channel->GetReceiveBuffer().clear(); }

private:
    CKprotChannel *m_channel;
};

double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for a while and returns the process's processor share.
double IdleShare(QApplication &app, double seconds)
{
    const double cpuBefore = CpuSeconds();
    const auto wallBefore = Clock::now();
    QTimer::singleShot(int(seconds * 1000), &app, &QApplication::quit);
    app.exec();
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    return (CpuSeconds() - cpuBefore) / wall;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int events = argc > 1 ? std::max(2, std::atoi(argv[1])) & ~1 : 2000;
    const double idleSeconds = argc > 2 ? std::max(0.5, std::atof(argv[2])) : 3.0;

    KeyReceiver receiver(events);
    if (!receiver.Listen()) {
        std::fprintf(stderr, "cannot listen on %s\n", kAddress);
        return 1;
    }
    CKprotChannel channel;
    DroppingListener listener(&channel);
    channel.Open(QString::fromLatin1(kAddress), &listener, receiver.Port());
    if (!channel.IsOpen())
        return 1;

    CKeyboardSet keyboards;
    const double idleOff = IdleShare(app, idleSeconds);

    keyboards.CreateKeyboards();
    keyboards.ShowKeyboard(0, &channel);
    CKeyboardDlg *keyboard = keyboards.Keyboard(0);
    QApplication::setActiveWindow(keyboard);
    app.processEvents();

    // Alternating press and release of the A key, each answered by a make or
    // a break message.
    std::vector<double> latencies;
    latencies.reserve(size_t(events));
    for (int i = 0; i < events; ++i) {
        const bool press = i % 2 == 0;
        QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier);
        const auto start = Clock::now();
        QCoreApplication::sendEvent(keyboard, &event);
        const auto deadline = start + std::chrono::seconds(5);
        while (receiver.Count() <= i && Clock::now() < deadline)
            app.processEvents();
        if (receiver.Count() <= i) {
            std::fprintf(stderr, "key message %d did not arrive\n", i);
            return 1;
        }
        latencies.push_back(std::chrono::duration<double, std::micro>(receiver.Arrival(i) - start).count());
    }
    std::sort(latencies.begin(), latencies.end());

    const double idleShown = IdleShare(app, idleSeconds);
    keyboards.DestroyKeyboards();
    const double idleAfter = IdleShare(app, idleSeconds);

    std::printf("key event to key message at the controller, %d messages:\n", events);
    std::printf("  median %.1f us, 95th percentile %.1f us, worst %.1f us\n",
                latencies[latencies.size() / 2], latencies[latencies.size() * 95 / 100], latencies.back());
    std::printf("processor share while idle, %.1f s each:\n", idleSeconds);
    std::printf("  no keypad:                %5.1f %%\n", idleOff * 100);
    std::printf("  keypad shown:             %5.1f %%\n", idleShown * 100);
    std::printf("  keypads turned off again: %5.1f %%\n", idleAfter * 100);

    if (const auto keyMap = OpenPhysicalKeyMap()) {
        std::vector<double> reads;
        for (int i = 0; i < 1000; ++i) {
            const auto start = Clock::now();
            if (!keyMap->Read())
                break;
            reads.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        }
        if (!reads.empty()) {
            std::sort(reads.begin(), reads.end());
            std::printf("physical key map read (X server round trip): median %.1f us, worst %.1f us\n",
                        reads[reads.size() / 2], reads.back());
        }
    }
    return 0;
}
