// Recognising the setup in the process table: the name each process runs
// under, the scan over a table that changes under it, and the real /proc.
#include "FakeProcessSource.h"
#include "ProcFsProcessSource.h"
#include "ProcessWatch.h"

#include <QtTest>

namespace {

// Arguments as the kernel keeps them: each one ends with a NUL.
QByteArray args(std::initializer_list<const char *> list)
{
    QByteArray block;
    for (const char *arg : list) {
        block += arg;
        block += '\0';
    }
    return block;
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

class TestProcessWatch : public QObject
{
    Q_OBJECT

private slots:
    void baseNameFromShortNameAndArguments_data();
    void baseNameFromShortNameAndArguments();
    void scanComparesExactlyAndCaseSensitively_data();
    void scanComparesExactlyAndCaseSensitively();
    void processesThatEndOrCannotBeReadArePassedOver();
    void emptyNameNeverMatches();
    void procTreeIsListedAndRead();
    void runningProgramsAndScriptsAreRecognised();
};

void TestProcessWatch::baseNameFromShortNameAndArguments_data()
{
    QTest::addColumn<QByteArray>("shortName");
    QTest::addColumn<QByteArray>("args");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("short program name") << QByteArray("setup") << args({"./setup", "-q"}) << QByteArray("setup");
    QTest::newRow("program started under another argument 0")
        << QByteArray("setup") << args({"installer-step"}) << QByteArray("setup");
    QTest::newRow("script through its #! line")
        << QByteArray("setup.sh") << args({"/bin/sh", "./setup.sh"}) << QByteArray("setup.sh");
    QTest::newRow("long program name completed from argument 0")
        << QByteArray("QuorvelSetupPro") << args({"/opt/q/QuorvelSetupProgram", "/S"})
        << QByteArray("QuorvelSetupProgram");
    QTest::newRow("long script name completed from the script's path")
        << QByteArray("quorvel-setup-s") << args({"/bin/sh", "-e", "./quorvel-setup-script.sh", "quorvel-x"})
        << QByteArray("quorvel-setup-script.sh");
    QTest::newRow("name of exactly fifteen bytes")
        << QByteArray("setup-for-knits") << args({"./setup-for-knits"}) << QByteArray("setup-for-knits");
    QTest::newRow("cut name that no argument completes")
        << QByteArray("QuorvelSetupPro") << args({"renamed"}) << QByteArray("QuorvelSetupPro");
    QTest::newRow("last argument without its NUL")
        << QByteArray("QuorvelSetupPro") << QByteArray("/x/QuorvelSetupProgram") << QByteArray("QuorvelSetupProgram");
    QTest::newRow("kernel thread") << QByteArray("kworker/0:1") << QByteArray() << QByteArray();
    QTest::newRow("ended, not yet collected") << QByteArray("setup.sh") << QByteArray() << QByteArray();
    QTest::newRow("short name unreadable") << QByteArray() << args({"./setup"}) << QByteArray();
}

void TestProcessWatch::baseNameFromShortNameAndArguments()
{
    QFETCH(QByteArray, shortName);
    QFETCH(QByteArray, args);
    QFETCH(QByteArray, expected);
    QCOMPARE(processBaseName(shortName, args), expected);
}

void TestProcessWatch::scanComparesExactlyAndCaseSensitively_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("running");

    QTest::newRow("script name") << QStringLiteral("setup.sh") << true;
    QTest::newRow("long program name") << QStringLiteral("QuorvelSetupProgram") << true;
    QTest::newRow("other case") << QStringLiteral("Setup.sh") << false;
    QTest::newRow("beginning of a name") << QStringLiteral("setup") << false;
    QTest::newRow("trailing blank") << QStringLiteral("setup.sh ") << false;
    QTest::newRow("the cut short name") << QStringLiteral("QuorvelSetupPro") << false;
    QTest::newRow("longer than the program's name") << QStringLiteral("QuorvelSetupProgram2") << false;
    QTest::newRow("interpreter of the script") << QStringLiteral("dash") << false;
    QTest::newRow("ended process") << QStringLiteral("old-setup") << false;
    QTest::newRow("script run through env") << QStringLiteral("env-setup") << true;
    QTest::newRow("interpreter options before the script") << QStringLiteral("py-setup") << true;
    QTest::newRow("argument of a program that runs no scripts") << QStringLiteral("edited-setup") << false;
}

void TestProcessWatch::scanComparesExactlyAndCaseSensitively()
{
    QFETCH(QString, name);
    QFETCH(bool, running);

    FakeProcessSource table;
    table.add(1, "systemd", args({"/sbin/init"}));
    table.add(310, "setup.sh", args({"/bin/sh", "./setup.sh"}));
    table.add(311, "QuorvelSetupPro", args({"./QuorvelSetupProgram"}));
    table.add(400, "old-setup", QByteArray());
    table.add(320, "sh", args({"sh", "./env-setup"}));
    table.add(321, "python3", args({"/usr/bin/python3", "-u", "/opt/setup/py-setup"}));
    table.add(330, "vim", args({"vim", "edited-setup"}));
    QCOMPARE(isProcessRunning(name, table), running);
    // Only processes whose short name can match have their arguments read.
    for (const qint64 pid : qAsConst(table.argsRead))
        QVERIFY2(pid != 1, "arguments read for a process that cannot match");
}

void TestProcessWatch::processesThatEndOrCannotBeReadArePassedOver()
{
    FakeProcessSource table;
    table.addVanished(5, true);
    table.addVanished(6, false, "setup.sh");
    table.add(0, "setup.sh", args({"./setup.sh"}));
    QVERIFY(!isProcessRunning(QStringLiteral("setup.sh"), table));

    table.add(9, "setup.sh", args({"/bin/sh", "setup.sh"}));
    QVERIFY(isProcessRunning(QStringLiteral("setup.sh"), table));

    QVERIFY(!isProcessRunning(QStringLiteral("setup.sh"), FakeProcessSource()));
}

void TestProcessWatch::emptyNameNeverMatches()
{
    // Processes whose name cannot be read, which an empty setup name
    // (no ini file) must not be taken for.
    FakeProcessSource table;
    table.add(2, QByteArray(), QByteArray());
    table.add(3, QByteArray(), args({""}));
    table.add(4, "kthreadd", QByteArray());
    table.addVanished(7, false);
    QVERIFY(!isProcessRunning(QString(), table));
    QVERIFY(!isProcessRunning(QStringLiteral(""), table));
    QVERIFY(!isProcessRunning(QString(), systemProcesses()));
}

void TestProcessWatch::procTreeIsListedAndRead()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QDir dir(root.path());
    for (const char *entry : {"1", "42", "77", "self", "sys", "12a"})
        QVERIFY(dir.mkdir(QString::fromLatin1(entry)));
    writeFile(dir.filePath(QStringLiteral("1/comm")), "init\n");
    writeFile(dir.filePath(QStringLiteral("1/cmdline")), args({"/sbin/init", "splash"}));
    // 42 has gone: its folder is still listed but its entries are not there.
    writeFile(dir.filePath(QStringLiteral("77/comm")), "QuorvelSetupPro\n");
    writeFile(dir.filePath(QStringLiteral("77/cmdline")), args({"./QuorvelSetupProgram"}));
    writeFile(dir.filePath(QStringLiteral("12a/comm")), "QuorvelSetupPro\n");
    writeFile(dir.filePath(QStringLiteral("12a/cmdline")), args({"./QuorvelSetupProgram"}));

    const ProcFsProcessSource source(root.path());
    auto pids = source.processIds();
    std::sort(pids.begin(), pids.end());
    QCOMPARE(pids, (QVector<qint64>{1, 42, 77}));

    QByteArray text;
    QVERIFY(source.readShortName(1, text));
    QCOMPARE(text, QByteArray("init"));
    QVERIFY(source.readCommandLine(1, text));
    QCOMPARE(text, args({"/sbin/init", "splash"}));
    QVERIFY(!source.readShortName(42, text));
    QVERIFY(!source.readCommandLine(42, text));

    QVERIFY(isProcessRunning(QStringLiteral("QuorvelSetupProgram"), source));
    QVERIFY(!isProcessRunning(QStringLiteral("QuorvelSetupPro"), source));

    const ProcFsProcessSource missing(dir.filePath(QStringLiteral("nothing-here")));
    QVERIFY(missing.processIds().isEmpty());
    QVERIFY(!isProcessRunning(QStringLiteral("init"), missing));
}

void TestProcessWatch::runningProgramsAndScriptsAreRecognised()
{
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString pid = QString::number(QCoreApplication::applicationPid());
    // A program and a script whose names the kernel cuts, and a short script.
    const QString program = QStringLiteral("qins-long-program-") + pid;
    const QString script = QStringLiteral("qins-long-script-") + pid + QStringLiteral(".sh");
    const QString shortScript = QStringLiteral("qins") + pid.right(4) + QStringLiteral(".sh");
    // A script whose #! line goes through env runs as "sh <script>".
    const QString envScript = QStringLiteral("qenv") + pid.right(4);
    QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), work.filePath(program)));
    for (const QString &name : {script, shortScript})
        writeFile(work.filePath(name), "#!/bin/sh\nwhile :; do sleep 1; done\n");
    writeFile(work.filePath(envScript), "#!/usr/bin/env sh\nwhile :; do sleep 1; done\n");
    for (const QString &name : {program, script, shortScript, envScript})
        QVERIFY(QFile::setPermissions(work.filePath(name), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                               | QFileDevice::ExeOwner));

    const QStringList names{program, script, shortScript, envScript};
    QList<QProcess *> running;
    for (const QString &name : names) {
        QVERIFY(!isProcessRunning(name, systemProcesses()));
        auto *process = new QProcess(this);
        process->setWorkingDirectory(work.path());
        process->start(work.filePath(name), name == program ? QStringList{QStringLiteral("30")} : QStringList{});
        QVERIFY(process->waitForStarted());
        running.append(process);
    }
    for (const QString &name : names)
        QTRY_VERIFY2(isProcessRunning(name, systemProcesses()), qPrintable(name));
    QVERIFY(!isProcessRunning(program.left(kShortNameLimit), systemProcesses()));
    QVERIFY(!isProcessRunning(script.toUpper(), systemProcesses()));

    for (QProcess *process : qAsConst(running)) {
        process->kill();
        QVERIFY(process->waitForFinished());
    }
    for (const QString &name : names)
        QTRY_VERIFY2(!isProcessRunning(name, systemProcesses()), qPrintable(name));
}

QTEST_GUILESS_MAIN(TestProcessWatch)
#include "tst_installer_processwatch.moc"
