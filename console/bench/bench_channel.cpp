// Prints how many bytes a second the channel delivers to its listener from
// a simulated controller streaming raw colour lines, beside the loopback
// limit of a plain TCP connection measured in the same run, and the share
// of a processor core the console's side (this process) used meanwhile.
//
// Usage: bench_channel [path/to/ctrlsim] [seconds]
#include "KprotChannel.h"
#include "KprotListener.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTextStream>
#include <QTimer>

#include <arpa/inet.h>
#include <ctime>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

QTextStream out(stdout);

double ProcessorSeconds()
{
    timespec used{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return double(used.tv_sec) + double(used.tv_nsec) / 1e9;
}

class CountingListener : public CKprotListener
{
public:
    void OnChannelData() override
    {
        QByteArray &buffer = channel->GetReceiveBuffer();
        // Consume whole raw colour lines as the screen view does.
        const int whole = buffer.size() - buffer.size() % 322;
        bytes += whole;
        ++notifications;
        buffer.remove(0, whole);
    }
    CKprotChannel *channel = nullptr;
    qint64 bytes = 0;
    qint64 notifications = 0;
};

// A plain TCP connection on loopback: one thread writes 64 KiB blocks as
// fast as it can, this one reads them with large reads.
double LoopbackLimit(double seconds)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::listen(listener, 1);
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);

    bool stop = false;
    std::thread writer([&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        std::vector<char> block(65536, 'x');
        while (!stop && ::send(fd, block.data(), block.size(), MSG_NOSIGNAL) > 0) {
        }
        ::close(fd);
    });
    const int reader = ::accept(listener, nullptr, nullptr);
    std::vector<char> block(65536);
    QElapsedTimer timer;
    timer.start();
    qint64 total = 0;
    while (timer.elapsed() < seconds * 1000) {
        const ssize_t n = ::recv(reader, block.data(), block.size(), 0);
        if (n <= 0)
            break;
        total += n;
    }
    const double rate = double(total) / (double(timer.nsecsElapsed()) / 1e9);
    stop = true;
    ::close(reader);
    writer.join();
    ::close(listener);
    return rate;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString simulator = args.value(1, QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/ctrlsim"));
    const double seconds = args.value(2, QStringLiteral("3")).toDouble();
    const QString address = QStringLiteral("127.0.0.200");

    QProcess controller;
    controller.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    controller.start(simulator, {QStringLiteral("--address"), address, QStringLiteral("--format"),
                                 QStringLiteral("raw"), QStringLiteral("--flood"),
                                 QStringLiteral("--key-log"), QStringLiteral("/dev/null")});
    if (!controller.waitForStarted(5000)) {
        out << "cannot start " << simulator << "\n";
        return 1;
    }
    QByteArray ready;
    while (!ready.contains('\n') && controller.waitForReadyRead(5000))
        ready += controller.readAllStandardOutput();
    if (!ready.startsWith("READY")) {
        out << "simulated controller did not become ready\n";
        return 1;
    }

    CountingListener listener;
    CKprotChannel channel;
    listener.channel = &channel;
    channel.Open(address, &listener, SCREEN_PORT);
    if (!channel.IsOpen())
        return 1;

    QElapsedTimer timer;
    QTimer::singleShot(int(seconds * 1000), &application, &QCoreApplication::quit);
    timer.start();
    const double processorBefore = ProcessorSeconds();
    QCoreApplication::exec();
    const double wallSeconds = double(timer.nsecsElapsed()) / 1e9;
    const double consoleShare = (ProcessorSeconds() - processorBefore) / wallSeconds;
    const double channelRate = double(listener.bytes) / wallSeconds;
    channel.Close();
    controller.kill();
    controller.waitForFinished(2000);

    const double limit = LoopbackLimit(seconds);
    out << QStringLiteral("channel from simulated controller: %1 MB/s in %2 notifications (%3 bytes each)\n")
               .arg(channelRate / 1048576.0, 0, 'f', 1)
               .arg(listener.notifications)
               .arg(listener.notifications ? listener.bytes / listener.notifications : 0);
    out << QStringLiteral("plain loopback TCP limit:          %1 MB/s\n").arg(limit / 1048576.0, 0, 'f', 1);
    out << QStringLiteral("ratio:                             %1\n").arg(channelRate / limit, 0, 'f', 3);
    out << QStringLiteral("console cpu: %1 % of a core\n").arg(consoleShare * 100.0, 0, 'f', 0);
    return 0;
}
