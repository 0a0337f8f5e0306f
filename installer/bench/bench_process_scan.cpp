// Cost of one scan of the process table, as the installer runs it once a
// second while the setup runs. Prints the figures for the processes of this
// machine, then again with extra processes started for the measurement.
//
//   bench_process_scan [extra processes, default 500] [scans per figure, default 200]
#include "ProcFsProcessSource.h"
#include "ProcessWatch.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>

#include <memory>
#include <vector>

namespace {

// The same table read through QDir and QFile, to compare with the plain reads.
class QFileProcessSource final : public ProcessSource
{
public:
    QVector<qint64> processIds() const override
    {
        QVector<qint64> pids;
        const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &entry : entries) {
            bool ok = false;
            const qint64 pid = entry.toLongLong(&ok);
            if (ok)
                pids.append(pid);
        }
        return pids;
    }
    bool readShortName(qint64 pid, QByteArray &name) const override
    {
        if (!read(pid, "comm", name))
            return false;
        name = name.trimmed();
        return true;
    }
    bool readCommandLine(qint64 pid, QByteArray &args) const override { return read(pid, "cmdline", args); }
    bool readExecutablePath(qint64 pid, QByteArray &path) const override
    {
        path = QFile::encodeName(QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid)));
        return !path.isEmpty();
    }

private:
    static bool read(qint64 pid, const char *entry, QByteArray &content)
    {
        QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(entry)));
        if (!file.open(QIODevice::ReadOnly))
            return false;
        content = file.readAll();
        return true;
    }
};

struct Figures
{
    double microsPerScan;
    int processes;
};

Figures measure(const QString &name, const ProcessSource &source, int scans)
{
    isProcessRunning(name, source);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < scans; ++i)
        isProcessRunning(name, source);
    return {double(clock.nsecsElapsed()) / 1000.0 / scans, int(source.processIds().size())};
}

void report(QTextStream &out, const char *what, const Figures &figures)
{
    out << QStringLiteral("  %1 %2 us per scan, %3 processes, %4 us per process\n")
               .arg(QLatin1String(what), -44)
               .arg(figures.microsPerScan, 9, 'f', 1)
               .arg(figures.processes, 5)
               .arg(figures.microsPerScan / qMax(1, figures.processes), 6, 'f', 2);
}

void reportAll(QTextStream &out, const QString &longName, int scans)
{
    const ProcessSource &procFs = systemProcesses();
    const QFileProcessSource viaQFile;
    report(out, "name not running (every process read)", measure(QStringLiteral("QuorvelSetup"), procFs, scans));
    report(out, "long name running (stops at the match)", measure(longName, procFs, scans));
    report(out, "name not running, read through QFile", measure(QStringLiteral("QuorvelSetup"), viaQFile, scans));
    out.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int extra = args.size() > 1 ? qBound(0, args.at(1).toInt(), 5000) : 500;
    const int scans = args.size() > 2 ? qBound(1, args.at(2).toInt(), 100000) : 200;
    QTextStream out(stdout);

    // A long-named program, found only after its cut short name is completed.
    const QString longName = QStringLiteral("quorvel-bench-setup-program");
    const QString longPath = QDir::temp().filePath(longName);
    QFile::remove(longPath);
    if (!QFile::copy(QStringLiteral("/bin/sleep"), longPath)) {
        QTextStream(stderr) << "cannot copy /bin/sleep to " << longPath << '\n';
        return 1;
    }
    QFile::setPermissions(longPath, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    std::vector<std::unique_ptr<QProcess>> started;
    auto startOne = [&started](const QString &program) {
        started.emplace_back(new QProcess);
        started.back()->start(program, {QStringLiteral("600")});
        return started.back()->waitForStarted();
    };
    if (!startOne(longPath)) {
        QTextStream(stderr) << "cannot start " << longPath << '\n';
        return 1;
    }

    out << "One scan of the process table (" << scans << " scans per figure)\n";
    out << "This machine's processes:\n";
    reportAll(out, longName, scans);

    int running = 0;
    for (int i = 0; i < extra && startOne(QStringLiteral("/bin/sleep")); ++i)
        ++running;
    if (running > 0) {
        out << "With " << running << " extra processes:\n";
        reportAll(out, longName, scans);
    }

    for (auto &process : started) {
        process->kill();
        process->waitForFinished();
    }
    QFile::remove(longPath);
    return 0;
}
