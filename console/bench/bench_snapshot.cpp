// Prints two figures for brenlow-snap against simulated controllers on
// loopback: the time from starting the program to the PNG written (median
// and worst of several runs, each panel format), and how large a recording
// of a controller that redraws every second grows in a minute.
//
// Usage: bench_snapshot [runs] [recording seconds]
// (brenlow-snap and ctrlsim are taken from the build's bin folder)
#include "StreamRecording.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

QTextStream out(stdout);

QString Bin(const QString &name)
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/") + name;
}

// Starts a controller on free ports; returns its screen port, 0 on failure.
quint16 StartController(QProcess &process, const QString &format)
{
    process.start(Bin(QStringLiteral("ctrlsim")),
                  {QStringLiteral("--format"), format, QStringLiteral("--screen-port"), QStringLiteral("0"),
                   QStringLiteral("--stats-port"), QStringLiteral("0"), QStringLiteral("--quiet"),
                   QStringLiteral("--key-log"), QStringLiteral("/dev/null")});
    if (!process.waitForStarted(10000) || !process.waitForReadyRead(10000))
        return 0;
    const QList<QByteArray> ready = process.readLine().trimmed().split(' ');
    return ready.size() == 4 && ready.at(0) == "READY" ? quint16(ready.at(2).toUInt()) : 0;
}

void Stop(QProcess &process)
{
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished(5000);
}

int RunSnap(const QStringList &arguments, double seconds = 0)
{
    QProcess snap;
    snap.start(Bin(QStringLiteral("brenlow-snap")), arguments);
    if (!snap.waitForFinished(int((seconds + 60) * 1000)))
        return -1;
    return snap.exitStatus() == QProcess::NormalExit ? snap.exitCode() : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int runs = qBound(1, args.value(1, QStringLiteral("9")).toInt(), 1000);
    const double recordSeconds = qBound(1.0, args.value(2, QStringLiteral("30")).toDouble(), 3600.0);
    QTemporaryDir dir;

    out << "brenlow-snap, start to PNG written (" << runs << " runs each)\n";
    for (const QString &format : {QStringLiteral("mono"), QStringLiteral("raw"), QStringLiteral("rle")}) {
        QProcess controller;
        const quint16 port = StartController(controller, format);
        if (port == 0) {
            out << "  " << format << ": ctrlsim did not start\n";
            continue;
        }
        std::vector<double> times;
        const QString picture = dir.filePath(QStringLiteral("bench.png"));
        for (int run = 0; run < runs; ++run) {
            QFile::remove(picture);
            QElapsedTimer clock;
            clock.start();
            const int exitCode =
                RunSnap({QStringLiteral("--port"), QString::number(port), QStringLiteral("127.0.0.1"), picture});
            const double ms = double(clock.nsecsElapsed()) / 1e6;
            if (exitCode != 0 || !QFile::exists(picture)) {
                out << "  " << format << ": run " << run << " failed with exit code " << exitCode << "\n";
                continue;
            }
            times.push_back(ms);
        }
        Stop(controller);
        if (times.empty())
            continue;
        std::sort(times.begin(), times.end());
        out << "  " << format.leftJustified(5) << " median " << QString::number(times[times.size() / 2], 'f', 1)
            << " ms, best " << QString::number(times.front(), 'f', 1) << " ms, worst "
            << QString::number(times.back(), 'f', 1) << " ms\n";
    }

    out << "recording of a controller redrawing every second (" << recordSeconds << " s, per minute)\n";
    out.flush();
    for (const QString &format : {QStringLiteral("mono"), QStringLiteral("raw"), QStringLiteral("rle")}) {
        QProcess controller;
        const quint16 port = StartController(controller, format);
        const QString recording = dir.filePath(format + QStringLiteral(".rec"));
        const int exitCode = port == 0 ? -1
            : RunSnap({QStringLiteral("--port"), QString::number(port), QStringLiteral("--record"), recording,
                       QStringLiteral("--seconds"), QString::number(recordSeconds), QStringLiteral("127.0.0.1")},
                      recordSeconds);
        Stop(controller);
        StreamRecording::Summary summary;
        QString error;
        if (exitCode != 0 || !RecordingReader::Check(recording, &summary, &error)) {
            out << "  " << format << ": recording failed (" << exitCode << ") " << error << "\n";
            continue;
        }
        const double fileBytes = double(QFile(recording).size());
        const double perMinute = fileBytes * 60.0 / recordSeconds;
        out << "  " << format.leftJustified(5) << QString::number(perMinute / 1024.0, 'f', 1) << " KiB a minute ("
            << qint64(fileBytes) << " bytes, " << summary.records << " records, of which "
            << summary.bytes << " stream bytes; the first whole panel included)\n";
        out.flush();
    }
    return 0;
}
