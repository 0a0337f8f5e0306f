// Prints how long the launcher takes to read machine description files and
// how much memory a read costs, for usual files and for damaged ones whose
// counts and lengths promise far more data than the file holds.
#include "records/QMacXml.h"
#include "records/QProject.h"
#include "startup/LauncherMessages.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class SilentMessages : public LauncherMessages
{
public:
    void critical(QWidget *, const QString &, const QString &) override {}
    void plain(const QString &) override {}
    void warning(QWidget *, const QString &, const QString &) override {}
};

// Peak resident memory of this process so far, in KiB.
long peakResidentKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

QByteArray streamBytes(const std::function<void(QDataStream &)> &write)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_4_8);
    write(stream);
    return bytes;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

struct Case
{
    const char *name;
    int type;
    QByteArray bytes;
    int rounds;
};

// A type-1 file that promises 4294967295 entries and holds 64 MiB of zero
// bytes after the count: 8 million empty entries, written as a sparse file
// so that it takes no disk space. Read once, in a process of its own, so
// that its peak memory is its own.
int readSparseFile(QProject &project, const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("sparse.mac"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    file.write(streamBytes([](QDataStream &s) { s << qint32(1) << quint32(0xFFFFFFFF); }));
    file.resize(file.size() + 64 * 1024 * 1024);
    file.close();

    QElapsedTimer clock;
    clock.start();
    const int id = project.readMachineId(dir.path(), QStringLiteral("sparse.mac"), 1);
    std::printf("%-38s %10lld %8d %12.1f %14ld\n", "type 1, count 4294967295, 64 MiB zeros",
                QFileInfo(path).size(), id, double(clock.nsecsElapsed()) / 1000.0, peakResidentKib());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    SilentMessages silent;
    LauncherMessages::install(&silent);
    QTemporaryDir dir;
    QProject project;

    if (application.arguments().contains(QStringLiteral("--sparse"))) {
        std::printf("%-38s %10s %8s %12s %14s\n", "description file", "bytes", "id", "us per read",
                    "peak RSS KiB");
        const int result = readSparseFile(project, dir);
        LauncherMessages::install(nullptr);
        return result;
    }

    const QByteArray usualType1 = streamBytes([](QDataStream &s) {
        s << qint32(1) << quint32(200);
        for (int i = 0; i < 199; ++i)
            s << QStringLiteral("[SEZIONE%1] CHIAVE%2").arg(i / 20).arg(i) << QStringLiteral("valore %1").arg(i);
        s << QStringLiteral("[DESCRIZIONE] MACHID") << QStringLiteral("42");
    });
    QString usualXml = QStringLiteral("<MACCHINA>");
    for (int i = 0; i < 400; ++i)
        usualXml += QStringLiteral("<PARAMETRO nome=\"p%1\"><VALORE>%1</VALORE></PARAMETRO>").arg(i);
    usualXml += QStringLiteral("<BODY><MACUID>42</MACUID></BODY></MACCHINA>");
    const QByteArray usualType2 = streamBytes([&](QDataStream &s) { s << qint32(1) << usualXml; });

    QString bigXml = QStringLiteral("<MACCHINA>");
    for (int i = 0; i < 60000; ++i)
        bigXml += QStringLiteral("<PARAMETRO nome=\"p%1\"><VALORE>%1</VALORE></PARAMETRO>").arg(i);
    bigXml += QStringLiteral("<BODY><MACUID>42</MACUID></BODY></MACCHINA>");
    const QByteArray bigType2 = streamBytes([&](QDataStream &s) { s << qint32(1) << bigXml; });

    const QByteArray hugeCount = streamBytes([](QDataStream &s) {
        s << qint32(1) << quint32(0xFFFFFFFF) << QStringLiteral("[DESCRIZIONE] MACHID") << QStringLiteral("42");
    });
    const QByteArray hugeString = streamBytes([](QDataStream &s) {
        s << qint32(1) << quint32(1) << quint32(0xFFFFFFF0);
        s.writeRawData("abcdefgh", 8);
    });
    const QByteArray hugeXmlString = streamBytes([](QDataStream &s) {
        s << qint32(1) << quint32(0xFFFFFFF0);
        s.writeRawData("<BODY>", 6);
    });
    const int depth = 50000;
    const QString deepXml = QStringLiteral("<a>").repeated(depth) + QStringLiteral("</a>").repeated(depth);
    const QByteArray deep = streamBytes([&](QDataStream &s) { s << qint32(1) << deepXml; });
    const QByteArray notXml = streamBytes([](QDataStream &s) { s << qint32(1) << QString(200000, QLatin1Char('x')); });

    const Case cases[] = {
        {"type 1, 200 entries", 1, usualType1, 2000},
        {"type 2, 400 parameters", 2, usualType2, 500},
        {"type 1, count 4294967295, 1 entry", 1, hugeCount, 2000},
        {"type 1, string of 4 GB promised", 1, hugeString, 2000},
        {"type 2, XML of 4 GB promised", 2, hugeXmlString, 2000},
        {"type 2, not XML, 200000 chars", 2, notXml, 50},
        {"type 2, nested 50000 levels", 2, deep, 20},
        {"type 2, 60000 parameters", 2, bigType2, 3},
    };

    std::printf("%-38s %10s %8s %12s %14s\n", "description file", "bytes", "id", "us per read", "peak RSS KiB");
    for (const Case &c : cases) {
        const QString path = dir.filePath(QStringLiteral("descr.mac"));
        writeFile(path, c.bytes);
        int id = 0;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < c.rounds; ++i)
            id = project.readMachineId(dir.path(), QStringLiteral("descr.mac"), c.type);
        const double microseconds = double(clock.nsecsElapsed()) / 1000.0 / c.rounds;
        std::printf("%-38s %10d %8d %12.1f %14ld\n", c.name, int(c.bytes.size()), id, microseconds,
                    peakResidentKib());
    }
    LauncherMessages::install(nullptr);
    return 0;
}
