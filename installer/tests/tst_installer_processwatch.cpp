// Recognising the setup in the process table: the name each process runs
// under, the scan over a table that changes under it, and the real /proc.
#include "FakeProcessSource.h"
#include "LogCapture.h"
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
    void programFileDecidesOverNames_data();
    void programFileDecidesOverNames();
    void processesThatEndOrCannotBeReadArePassedOver();
    void emptyNameNeverMatches();
    void procTreeIsListedAndRead();
    void runningProgramsAndScriptsAreRecognised();
    void renamedAndDisguisedProcessesAreNotTheSetup();
    void scanTellsWhatItDecided();
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

void TestProcessWatch::programFileDecidesOverNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("running");

    QTest::newRow("shell whose command string ends in the setup's path") << QStringLiteral("setup_x") << false;
    QTest::newRow("process that renamed itself") << QStringLiteral("qsetup") << false;
    QTest::newRow("long name started under another argument 0")
        << QStringLiteral("QuorvelSetupProgram-2026") << true;
    QTest::newRow("the kernel's cut of that name") << QStringLiteral("QuorvelSetupPro") << false;
    QTest::newRow("its argument 0") << QStringLiteral("installer-step") << false;
    QTest::newRow("script handed to sh") << QStringLiteral("fakesetup") << true;
    QTest::newRow("python command string") << QStringLiteral("setup.py") << false;
    QTest::newRow("shell running a command string, by its program file") << QStringLiteral("dash") << true;
    QTest::newRow("shell running a command string, by argument 0") << QStringLiteral("sh") << false;
    QTest::newRow("interactive shell runs under its own name") << QStringLiteral("bash") << true;
    QTest::newRow("other user's program, by its short name") << QStringLiteral("rootsetup") << true;
}

void TestProcessWatch::programFileDecidesOverNames()
{
    QFETCH(QString, name);
    QFETCH(bool, running);

    FakeProcessSource table;
    table.add(500, "sh", args({"sh", "-c", "sleep 1; echo /opt/q/setup_x"}), "/usr/bin/dash");
    table.add(501, "qsetup", args({"qsetup"}), "/usr/lib/tools/daemon");
    table.add(502, "QuorvelSetupPro", args({"installer-step"}), "/opt/q/QuorvelSetupProgram-2026");
    table.add(503, "sh", args({"sh", "./fakesetup", "-q"}), "/usr/bin/dash");
    table.add(504, "python3", args({"python3", "-c", "import runpy; runpy.run_path('setup.py')"}),
              "/usr/bin/python3.11");
    table.add(505, "bash", args({"-bash"}), "/usr/bin/bash");
    table.add(506, "rootsetup", args({"/opt/root/rootsetup"}));
    QCOMPARE(isProcessRunning(name, table), running);
    // Programs that run no scripts are recognised by their program file alone.
    for (const qint64 pid : qAsConst(table.argsRead))
        QVERIFY2(pid != 501 && pid != 502, "arguments read for a program that is no interpreter");
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
    // The program file of 1 is not readable, that of 77 has been replaced
    // while it runs.
    QVERIFY(QFile::link(QStringLiteral("/opt/q/QuorvelSetupProgram (deleted)"), dir.filePath(QStringLiteral("77/exe"))));
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
    QVERIFY(!source.readExecutablePath(1, text));
    QVERIFY(!source.readExecutablePath(42, text));
    QVERIFY(source.readExecutablePath(77, text));
    QCOMPARE(text, QByteArray("/opt/q/QuorvelSetupProgram"));

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

void TestProcessWatch::renamedAndDisguisedProcessesAreNotTheSetup()
{
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString setupPath = work.filePath(QStringLiteral("qsetup") + pid);
    const QString renamed = QStringLiteral("qren") + pid.right(6);
    const QString longSetup = QStringLiteral("qins-long-setup-program-") + pid;
    QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), work.filePath(longSetup)));
    QVERIFY(QFile::setPermissions(work.filePath(longSetup), QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    // A shell whose command string ends in the setup's path; a shell that
    // gives itself another short name; a long-named setup started under
    // another argument 0.
    QProcess disguised;
    disguised.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("sleep 30; echo ") + setupPath});
    QProcess selfRenamed;
    selfRenamed.start(QStringLiteral("sh"),
                      {QStringLiteral("-c"), QStringLiteral("printf %s ") + renamed
                           + QStringLiteral(" > /proc/$$/comm; sleep 30; echo")});
    QProcess otherArgumentZero;
    otherArgumentZero.setWorkingDirectory(work.path());
    otherArgumentZero.start(QStringLiteral("bash"),
                            {QStringLiteral("-c"), QStringLiteral("exec -a installer-step ./") + longSetup
                                 + QStringLiteral(" 30")});
    for (QProcess *process : {&disguised, &selfRenamed, &otherArgumentZero})
        QVERIFY(process->waitForStarted());

    const ProcessSource &system = systemProcesses();
    QTRY_VERIFY(isProcessRunning(longSetup, system));
    // The renamed shell shows its new short name, and still is no setup.
    QByteArray shortName;
    QTRY_VERIFY(system.readShortName(selfRenamed.processId(), shortName) && shortName == renamed.toUtf8());
    QVERIFY(!isProcessRunning(renamed, system));
    QVERIFY(!isProcessRunning(QFileInfo(setupPath).fileName(), system));
    QVERIFY(!isProcessRunning(QStringLiteral("installer-step"), system));

    for (QProcess *process : {&disguised, &selfRenamed, &otherArgumentZero}) {
        process->kill();
        QVERIFY(process->waitForFinished());
    }
    QTRY_VERIFY(!isProcessRunning(longSetup, system));
}

void TestProcessWatch::scanTellsWhatItDecided()
{
    const LogCapture capture({QStringLiteral("quorvel.installer.watch")});
    FakeProcessSource table;
    table.addVanished(5, true);
    table.add(8, "setup.sh", {}); // another user's, arguments unreadable
    QVERIFY(!isProcessRunning(QStringLiteral("setup.sh"), table));
    table.add(9, "python3", args({"python3", "./setup.sh"}), "/usr/bin/python3");
    QVERIFY(isProcessRunning(QStringLiteral("setup.sh"), table));

    QCOMPARE(capture.lines({QStringLiteral("process 8"), QStringLiteral("no arguments to read")}).size(), 2);
    QCOMPARE(capture.lines({QStringLiteral("no process runs"), QStringLiteral("among 2 processes; 1 could not")}).size(), 1);
    QCOMPARE(capture.lines({QStringLiteral("runs as process 9 a script of"), QStringLiteral("/usr/bin/python3")}).size(), 1);
    QCOMPARE(capture.lines().size(), 4);
}

QTEST_GUILESS_MAIN(TestProcessWatch)
#include "tst_installer_processwatch.moc"
