// brenlow-web under a plant's load: many controllers each redrawing a few
// lines once a second, and browsers subscribed to all of them. Prints the
// daemon's share of one core, its resident memory, the bytes a second each
// browser gets beside the changed lines' palette indices and the bytes the
// controllers sent, and the time from a block's arrival to its message at a
// browser.
//
//   bench_web [controllers (256)] [browsers (4)] [seconds (20)]
//
// The controllers listen on port 16721 of 127.0.21.1 onwards: run it in a
// network namespace of its own (unshare -n, then "ip link set lo up").
#include "ScreenBlocks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QThread>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebSocket>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <functional>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr quint16 kScreenPort = 16721;
constexpr int kLinesPerUpdate = 8;
constexpr int kLineBytes = 320;

QElapsedTimer g_clock;

// Every changed line carries the number of its update in its first four
// pixels, so a browser's message tells which update it belongs to.
constexpr quint32 kMostUpdates = 1u << 22;

struct UpdateLog
{
    // Written by the controllers' thread, read by the browsers' thread.
    std::vector<std::atomic<qint64>> sentNs = std::vector<std::atomic<qint64>>(kMostUpdates);
    quint32 next = 1;
    qint64 controllerBytes = 0;
    qint64 changedLines = 0;
};

class StandIn : public QObject
{
public:
    StandIn(const QHostAddress &address, int phaseMs, UpdateLog &log)
        : m_log(log)
    {
        if (!m_server.listen(address, kScreenPort))
            std::fprintf(stderr, "cannot listen on %s: %s\n", qPrintable(address.toString()),
                         qPrintable(m_server.errorString()));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                m_socket = socket;
                connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
                QByteArray panel;
                for (int line = 0; line < 240; ++line)
                    panel += ScreenBlocks::RawLine(line, quint8(line));
                Write(panel, false);
            }
        });
        QTimer::singleShot(phaseMs, this, [this] {
            connect(&m_tick, &QTimer::timeout, this, &StandIn::Redraw);
            m_tick.start(1000);
        });
    }

private:
    void Redraw()
    {
        if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
            return;
        const quint32 id = m_log.next++ % kMostUpdates;
        QByteArray blocks;
        for (int i = 0; i < kLinesPerUpdate; ++i) {
            QByteArray pixels(kLineBytes, char(id & 0xFF));
            qToLittleEndian<quint32>(id, pixels.data());
            blocks += ScreenBlocks::RawLine((m_firstLine + i * 29) % 240, pixels);
        }
        m_firstLine = (m_firstLine + 1) % 240;
        m_log.sentNs[id].store(g_clock.nsecsElapsed());
        m_log.changedLines += kLinesPerUpdate;
        Write(blocks, true);
    }

    void Write(const QByteArray &bytes, bool counted)
    {
        m_socket->write(bytes);
        m_socket->flush();
        if (counted)
            m_log.controllerBytes += bytes.size();
    }

    QTcpServer m_server;
    QTcpSocket *m_socket = nullptr;
    QTimer m_tick;
    UpdateLog &m_log;
    int m_firstLine = 0;
};

// A browser lives in a thread of its own, so that its reading does not wait
// for the controllers' timers; the figures are read under its mutex.
struct Browser
{
    QWebSocket socket;
    QMutex mutex;
    qint64 bytes = 0;
    qint64 wholePanels = 0;
    qint64 lastWholeNs = 0;
    std::vector<qint64> latenciesNs;
};

// Processor time (user + system) of a process, in clock ticks.
qint64 CpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

QByteArray StatusField(qint64 pid, const QByteArray &name)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).simplified();
    }
    return {};
}

double Percentile(std::vector<qint64> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return double(values[std::min(values.size() - 1, std::size_t(share * double(values.size())))]) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int controllers = args.value(1, QStringLiteral("256")).toInt();
    const int browsers = args.value(2, QStringLiteral("4")).toInt();
    const int seconds = args.value(3, QStringLiteral("20")).toInt();
    g_clock.start();

    UpdateLog log;
    std::vector<std::unique_ptr<StandIn>> standIns;
    QTemporaryDir dir;
    QFile list(dir.filePath(QStringLiteral("canali.txt")));
    list.open(QIODevice::WriteOnly);
    for (int i = 0; i < controllers; ++i) {
        const QHostAddress address(quint32((127u << 24) | (21u << 16)) + quint32(i + 1));
        list.write(address.toString().toLatin1() + '\n');
        standIns.push_back(std::make_unique<StandIn>(address, int(QRandomGenerator::global()->bounded(1000)), log));
    }
    list.close();

    QProcess daemon;
    daemon.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    daemon.setStandardErrorFile(QDir::temp().filePath(QStringLiteral("bench_web-daemon.log")));
    daemon.start(QStringLiteral(BRENLOW_WEB_PATH),
                 {QStringLiteral("--listen"), QStringLiteral("127.0.20.1:18716"), list.fileName()});
    if (!daemon.waitForStarted()) {
        std::fprintf(stderr, "cannot start %s\n", BRENLOW_WEB_PATH);
        return 1;
    }
    const qint64 pid = daemon.processId();

    std::vector<std::unique_ptr<Browser>> clients;
    QThread browserThread;
    QObject browserHost;
    browserHost.moveToThread(&browserThread);
    browserThread.start();
    std::atomic<int> browsersOpen{0};
    QTimer::singleShot(1500, &app, [&] {
        QMetaObject::invokeMethod(&browserHost, [&] {
            for (int i = 0; i < browsers; ++i) {
                auto browser = std::make_unique<Browser>();
                Browser *b = browser.get();
                QObject::connect(&b->socket, &QWebSocket::connected, [b] {
                    b->socket.sendTextMessage(QStringLiteral("{\"type\":\"subscribe\",\"all\":true}"));
                });
                QObject::connect(&b->socket, &QWebSocket::textMessageReceived, [b](const QString &text) {
                    QMutexLocker lock(&b->mutex);
                    b->bytes += text.toUtf8().size();
                });
                QObject::connect(&b->socket, &QWebSocket::binaryMessageReceived, [b, &log](const QByteArray &message) {
                    const qint64 now = g_clock.nsecsElapsed();
                    QMutexLocker lock(&b->mutex);
                    b->bytes += message.size();
                    // Only updates name themselves; a whole panel (bit 0) does not.
                    if (message.size() >= 7 && (message.at(4) & 1)) {
                        ++b->wholePanels;
                        b->lastWholeNs = now;
                    }
                    if (message.size() < 7 || (message.at(4) & 1))
                        return;
                    // The newest update the message carries (lines of older
                    // ones may ride along after a wait).
                    quint32 newest = 0;
                    for (int offset = 7; offset + 1 + kLineBytes <= message.size(); offset += 1 + kLineBytes)
                        newest = std::max(newest, qFromLittleEndian<quint32>(message.constData() + offset + 1));
                    const qint64 sent = newest < kMostUpdates ? log.sentNs[newest].load() : 0;
                    if (sent > 0)
                        b->latenciesNs.push_back(now - sent);
                });
                b->socket.open(QUrl(QStringLiteral("ws://127.0.20.1:18716/ws")));
                clients.push_back(std::move(browser));
            }
            browsersOpen = browsers;
        });
    });

    qint64 ticksBefore = 0, bytesBefore = 0, linesBefore = 0;
    std::vector<qint64> browserBytesBefore;
    QElapsedTimer span;
    const std::function<void()> report = [&] {
        const double wall = double(span.nsecsElapsed()) / 1e9;
        const double cpu = double(CpuTicks(pid) - ticksBefore) / double(sysconf(_SC_CLK_TCK));
        const double lines = double(log.changedLines - linesBefore) / wall;
        std::printf("brenlow-web, %d controllers redrawing %d colour lines once a second, %d browsers, %.1f s\n",
                    controllers, kLinesPerUpdate, browsers, wall);
        std::printf("  daemon processor time:   %.2f %% of one core\n", 100.0 * cpu / wall);
        std::printf("  daemon resident memory:  %s (peak %s)\n", StatusField(pid, "VmRSS").constData(),
                    StatusField(pid, "VmHWM").constData());
        std::printf("  controllers sent:        %.0f bytes/s (%.0f changed lines/s = %.0f palette indices/s)\n",
                    double(log.controllerBytes - bytesBefore) / wall, lines, lines * kLineBytes);
        for (std::size_t i = 0; i < clients.size(); ++i) {
            QMutexLocker lock(&clients[i]->mutex);
            const double rate = double(clients[i]->bytes - browserBytesBefore[i]) / wall;
            std::printf("  browser %zu received:      %.0f bytes/s = %.3f x the changed lines' indices; "
                        "block to message median %.2f ms, 99th %.2f ms, worst %.2f ms (%zu updates, "
                        "%lld whole panels)\n",
                        i + 1, rate, rate / (lines * kLineBytes), Percentile(clients[i]->latenciesNs, 0.5),
                        Percentile(clients[i]->latenciesNs, 0.99), Percentile(clients[i]->latenciesNs, 1.0),
                        clients[i]->latenciesNs.size(), clients[i]->wholePanels);
        }
        std::fflush(stdout);
        QMetaObject::invokeMethod(&browserHost, [&] { clients.clear(); }, Qt::BlockingQueuedConnection);
        browserThread.quit();
        browserThread.wait();
        daemon.terminate();
        daemon.waitForFinished(3000);
        app.quit();
    };
    // Warm-up: every controller connected and every browser through the
    // whole floor (256 whole panels each) and past the backlog that leaves;
    // then the measured span.
    QTimer warmUp;
    QObject::connect(&warmUp, &QTimer::timeout, &app, [&] {
        const qint64 now = g_clock.nsecsElapsed();
        if (browsersOpen < browsers)
            return;
        for (auto &b : clients) {
            QMutexLocker lock(&b->mutex);
            if (b->wholePanels < controllers || now - b->lastWholeNs < 3000000000LL)
                return;
        }
        warmUp.stop();
        ticksBefore = CpuTicks(pid);
        bytesBefore = log.controllerBytes;
        linesBefore = log.changedLines;
        for (auto &b : clients) {
            QMutexLocker lock(&b->mutex);
            browserBytesBefore.push_back(b->bytes);
            b->latenciesNs.clear();
            b->wholePanels = 0;
        }
        span.start();
        QTimer::singleShot(seconds * 1000, &app, report);
    });
    warmUp.start(250);
    return app.exec();
}
