// The platform services the launcher and the installer share: detached
// program starts and the /proc process table.
#include "DetachedStart.h"
#include "ProcFsReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <unistd.h>

class TestPlatformServices : public QObject
{
    Q_OBJECT

private slots:
    void detachedStartPassesArgumentsAndFolder();
    void detachedStartRefusals_data();
    void detachedStartRefusals();
    void procReaderOnOwnProcess();
    void procReaderOnFakeTree();
};

namespace {

void writeFile(const QString &path, const QByteArray &content, bool executable = false)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

// A program that writes its working folder and its arguments, one a line,
// into the file named by its first argument.
QByteArray recorderScript()
{
    return "#!/bin/sh\nout=\"$1\"; shift\npwd > \"$out.part\"\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$out.part\"; done\n"
           "mv \"$out.part\" \"$out\"\n";
}

} // namespace

void TestPlatformServices::detachedStartPassesArgumentsAndFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString program = dir.filePath(QStringLiteral("Macchina"));
    writeFile(program, recorderScript(), true);
    const QString folder = dir.filePath(QStringLiteral("macchine/bin"));
    QVERIFY(QDir().mkpath(folder));
    const QString record = dir.filePath(QStringLiteral("record.txt"));

    // Never through a shell: blanks, quotes and shell signs arrive unchanged.
    const QStringList arguments{record, QStringLiteral("-p"), QStringLiteral("progetti/maglia 1.qvl"),
                                QStringLiteral("\"quoted\""), QStringLiteral("$HOME;ls"), QString()};
    {
        auto carrier = std::make_unique<QProcess>();
        QVERIFY(startDetachedIn(*carrier, program, arguments, folder));
        // The program runs on after its process object is gone.
    }
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
    QFile file(record);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QDir(folder).canonicalPath());
    QCOMPARE(lines.mid(1, 5), arguments.mid(1));
}

void TestPlatformServices::detachedStartRefusals_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("folder");

    QTest::newRow("missing working folder") << QStringLiteral("Macchina") << QStringLiteral("non-esiste/bin");
    QTest::newRow("working folder is a file") << QStringLiteral("Macchina") << QStringLiteral("Macchina");
    QTest::newRow("empty working folder") << QStringLiteral("Macchina") << QString();
    QTest::newRow("empty program") << QString() << QStringLiteral(".");
    QTest::newRow("missing program") << QStringLiteral("manca") << QStringLiteral(".");
    QTest::newRow("program not executable") << QStringLiteral("testo") << QStringLiteral(".");
}

void TestPlatformServices::detachedStartRefusals()
{
    QFETCH(QString, program);
    QFETCH(QString, folder);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("Macchina")), recorderScript(), true);
    writeFile(dir.filePath(QStringLiteral("testo")), recorderScript(), false);
    const QString record = dir.filePath(QStringLiteral("record.txt"));

    QProcess carrier;
    const QString path = program.isEmpty() ? QString() : dir.filePath(program);
    const QString workingFolder = folder.isEmpty() ? QString() : dir.filePath(folder);
    QVERIFY(!startDetachedIn(carrier, path, {record}, workingFolder));
    QTest::qWait(300);
    QVERIFY(!QFile::exists(record));
}

void TestPlatformServices::procReaderOnOwnProcess()
{
    const ProcFsReader reader;
    const qint64 self = ::getpid();
    QVERIFY(reader.processIds().contains(self));

    QByteArray link = reader.executableLink(self);
    QCOMPARE(QFile::decodeName(link), QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath());

    QByteArray comm;
    QVERIFY(reader.readEntry(self, "comm", comm));
    QCOMPARE(comm, QFileInfo(QCoreApplication::applicationFilePath()).fileName().left(15).toLocal8Bit() + '\n');

    // A process that is not there cannot be read.
    QByteArray content("stale");
    QVERIFY(!reader.readEntry(std::numeric_limits<int>::max(), "comm", content));
    QVERIFY(reader.executableLink(std::numeric_limits<int>::max()).isEmpty());
}

void TestPlatformServices::procReaderOnFakeTree()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QDir root(dir.path());
    for (const char *entry : {"1", "42", "4200000", "self", "net", "12a", "0x1f"})
        QVERIFY(root.mkpath(QLatin1String(entry)));
    // An argument block larger than one read: it comes back whole.
    QByteArray longArguments;
    for (int i = 0; i < 3000; ++i)
        longArguments += "arg" + QByteArray::number(i) + '\0';
    writeFile(root.filePath(QStringLiteral("42/cmdline")), longArguments);
    writeFile(root.filePath(QStringLiteral("42/comm")), "setup\n");
    QVERIFY(QFile::link(QStringLiteral("/opt/prova/setup (deleted)"), root.filePath(QStringLiteral("42/exe"))));

    const ProcFsReader reader(dir.path());
    QVector<qint64> pids = reader.processIds();
    std::sort(pids.begin(), pids.end());
    QCOMPARE(pids, (QVector<qint64>{1, 42, 4200000}));

    QByteArray content;
    QVERIFY(reader.readEntry(42, "cmdline", content));
    QCOMPARE(content, longArguments);
    QVERIFY(reader.readEntry(42, "comm", content));
    QCOMPARE(content, QByteArray("setup\n"));
    QCOMPARE(reader.executableLink(42), QByteArray("/opt/prova/setup (deleted)"));
    QVERIFY(!reader.readEntry(1, "comm", content));
    QVERIFY(reader.executableLink(1).isEmpty());

    // A table that cannot be listed is empty.
    QVERIFY(ProcFsReader(dir.filePath(QStringLiteral("manca"))).processIds().isEmpty());
}

QTEST_GUILESS_MAIN(TestPlatformServices)
#include "tst_platform_services.moc"
