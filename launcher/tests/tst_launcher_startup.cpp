#include "startup/DesktopWindows.h"
#include "startup/MainProgramCheck.h"
#include "startup/ProcessList.h"
#include "startup/SingleInstanceGuard.h"
#include "startup/StartArguments.h"
#include "LauncherFixtures.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

#include <vector>

Q_DECLARE_METATYPE(StartRequest::Mode)

namespace {

class FixedProcesses : public ProcessList
{
public:
    explicit FixedProcesses(const QVector<ProcessEntry> &entries) : m_entries(entries) {}
    QVector<ProcessEntry> processes() const override { return m_entries; }

private:
    QVector<ProcessEntry> m_entries;
};

class RecordingWindows : public DesktopWindows
{
public:
    explicit RecordingWindows(const QVector<DesktopWindow> &windows) : m_windows(windows) {}
    QVector<DesktopWindow> topDown() override { return m_windows; }
    void raise(const DesktopWindow &target, const DesktopWindow &own) override
    {
        raised = target.id;
        raisedFor = own.id;
    }

    quint64 raised = 0;
    quint64 raisedFor = 0;

private:
    QVector<DesktopWindow> m_windows;
};

QString uniqueKey(const char *name)
{
    return QStringLiteral("launcher-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(QLatin1String(name));
}

} // namespace

Q_DECLARE_METATYPE(QVector<ProcessEntry>)
Q_DECLARE_METATYPE(QVector<DesktopWindow>)

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void startArguments_data();
    void startArguments();
    void mainProgramCheck_data();
    void mainProgramCheck();
    void processListFromProc();
    void secondInstanceIsRefused();
    void staleSegmentIsCleared();

private:
    bool startHolder(QProcess &holder, const QString &key, QByteArray &answer);
};

void TestStartup::startArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<StartRequest::Mode>("mode");
    QTest::addColumn<QString>("projectPath");

    using Mode = StartRequest::Mode;
    QTest::newRow("none") << QStringList() << Mode::Intro << QString();
    QTest::newRow("NOINTRO") << QStringList{QStringLiteral("NOINTRO")} << Mode::SkipIntro << QString();
    QTest::newRow("nointro is a path") << QStringList{QStringLiteral("nointro")} << Mode::Project
                                       << QStringLiteral("nointro");
    QTest::newRow("NOINTRO then more") << QStringList{QStringLiteral("NOINTRO"), QStringLiteral("x.qvl")}
                                       << Mode::SkipIntro << QString();
    QTest::newRow("path then NOINTRO") << QStringList{QStringLiteral("dir/x.qvl"), QStringLiteral("NOINTRO")}
                                       << Mode::Project << QStringLiteral("dir/x.qvl");
    QTest::newRow("path with blanks and accents")
        << QStringList{QStringLiteral("/tmp/Progetti già fatti/maglia 1.qvl")} << Mode::Project
        << QStringLiteral("/tmp/Progetti già fatti/maglia 1.qvl");
    QTest::newRow("empty argument") << QStringList{QString()} << Mode::Project << QString();
}

void TestStartup::startArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(StartRequest::Mode, mode);
    QFETCH(QString, projectPath);

    std::vector<QByteArray> storage{QByteArray("QuorvelEnv")};
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<const char *> argv;
    for (const QByteArray &bytes : storage)
        argv.push_back(bytes.constData());
    argv.push_back(nullptr);

    const StartRequest request = parseStartArguments(int(storage.size()), argv.data());
    QCOMPARE(request.mode, mode);
    QCOMPARE(request.projectPath, projectPath);
}

void TestStartup::mainProgramCheck_data()
{
    QTest::addColumn<QVector<ProcessEntry>>("processes");
    QTest::addColumn<QVector<DesktopWindow>>("windows");
    QTest::addColumn<bool>("running");
    QTest::addColumn<quint64>("raised");

    const ProcessEntry launcher{100, QStringLiteral("QuorvelEnv")};
    const ProcessEntry main{200, QStringLiteral("Quorvel")};
    const ProcessEntry shell{50, QStringLiteral("bash")};
    const DesktopWindow project{1, 200, QStringLiteral("Quorvel - maglia.qvl")};
    const DesktopWindow own{2, 100, QStringLiteral("Quorvel")};
    const DesktopWindow other{3, 50, QStringLiteral("terminal .qvl QUORVEL/")};

    QTest::newRow("nothing runs") << QVector<ProcessEntry>{shell} << QVector<DesktopWindow>{} << false << quint64(0);
    QTest::newRow("only the launcher") << QVector<ProcessEntry>{shell, launcher} << QVector<DesktopWindow>{own}
                                       << false << quint64(0);
    QTest::newRow("only the main program") << QVector<ProcessEntry>{main} << QVector<DesktopWindow>{project}
                                           << false << quint64(0);
    QTest::newRow("both, no windows") << QVector<ProcessEntry>{launcher, main} << QVector<DesktopWindow>{} << true
                                      << quint64(0);
    QTest::newRow("Windows names, any case")
        << QVector<ProcessEntry>{{7, QStringLiteral("QUORVEL.EXE")}, {8, QStringLiteral("quorvelenv.exe")}}
        << QVector<DesktopWindow>{} << true << quint64(0);
    QTest::newRow("similar names do not count")
        << QVector<ProcessEntry>{{7, QStringLiteral("Quorvel2")}, {8, QStringLiteral("QuorvelEnv.sh")},
                                 {9, QStringLiteral("Quorvel.exe.bak")}}
        << QVector<DesktopWindow>{} << false << quint64(0);
    QTest::newRow("project window raised") << QVector<ProcessEntry>{shell, launcher, main}
                                           << QVector<DesktopWindow>{other, project, own} << true << quint64(1);
    QTest::newRow("folder marker raised")
        << QVector<ProcessEntry>{launcher, main}
        << QVector<DesktopWindow>{own, {4, 200, QStringLiteral("C:/QUORVEL/nuovo")}} << true << quint64(4);
    QTest::newRow("markers are case-sensitive")
        << QVector<ProcessEntry>{launcher, main}
        << QVector<DesktopWindow>{own, {4, 200, QStringLiteral("c:/quorvel/maglia.QVL")}} << true << quint64(0);
    QTest::newRow("no own window, nothing raised") << QVector<ProcessEntry>{launcher, main}
                                                   << QVector<DesktopWindow>{other, project} << true << quint64(0);
    QTest::newRow("marker beyond the title buffer")
        << QVector<ProcessEntry>{launcher, main}
        << QVector<DesktopWindow>{own, {5, 200, QString(199, QLatin1Char('x')) + QStringLiteral(".qvl")}} << true
        << quint64(0);
    QTest::newRow("later main program replaces the earlier")
        << QVector<ProcessEntry>{main, {300, QStringLiteral("Quorvel.exe")}, launcher}
        << QVector<DesktopWindow>{project, own} << true << quint64(0);
    QTest::newRow("walk stops once both are known")
        << QVector<ProcessEntry>{launcher, main, {300, QStringLiteral("Quorvel")}}
        << QVector<DesktopWindow>{{6, 300, QStringLiteral("x.qvl")}, project, own} << true << quint64(1);
}

void TestStartup::mainProgramCheck()
{
    QFETCH(QVector<ProcessEntry>, processes);
    QFETCH(QVector<DesktopWindow>, windows);
    QFETCH(bool, running);
    QFETCH(quint64, raised);

    FixedProcesses list(processes);
    RecordingWindows desktop(windows);
    QCOMPARE(activateMainProgram(list, desktop), running);
    QCOMPARE(desktop.raised, raised);
    if (raised != 0)
        QCOMPARE(desktop.raisedFor, quint64(2));
}

void TestStartup::processListFromProc()
{
    // A made-up process table: numeric folders only, listed by process id.
    QTemporaryDir root;
    const auto addProcess = [&root](const QString &pid, const QByteArray &comm) {
        QDir().mkpath(root.filePath(pid));
        writeFile(root.filePath(pid + QStringLiteral("/comm")), comm + '\n');
    };
    addProcess(QStringLiteral("12"), "Quorvel.exe");
    addProcess(QStringLiteral("7"), "bash");
    addProcess(QStringLiteral("100"), "QuorvelEnv");
    addProcess(QStringLiteral("self"), "QuorvelEnv");
    QDir().mkpath(root.filePath(QStringLiteral("55")));
    const QVector<ProcessEntry> fake = ProcProcessList(root.path()).processes();
    QCOMPARE(fake.size(), 3);
    QCOMPARE(fake.at(0).pid, qint64(7));
    QCOMPARE(fake.at(1).pid, qint64(12));
    QCOMPARE(fake.at(1).name, QStringLiteral("Quorvel.exe"));
    QCOMPARE(fake.at(2).name, QStringLiteral("QuorvelEnv"));

    // The real table holds this test under its full executable name, and a
    // script under the script's name.
    const QString script = root.filePath(QStringLiteral("Quorvel"));
    writeFile(script, "#!/bin/sh\nsleep 5\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner);
    QProcess scriptProcess;
    scriptProcess.start(script, QStringList());
    QVERIFY(scriptProcess.waitForStarted());
    QTest::qWait(200);
    const QVector<ProcessEntry> real = ProcProcessList().processes();
    QString ownName;
    QString scriptName;
    for (const ProcessEntry &entry : real) {
        if (entry.pid == QCoreApplication::applicationPid())
            ownName = entry.name;
        if (entry.pid == scriptProcess.processId())
            scriptName = entry.name;
    }
    scriptProcess.kill();
    scriptProcess.waitForFinished();
    QCOMPARE(ownName, QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    QCOMPARE(scriptName, QStringLiteral("Quorvel"));
}

bool TestStartup::startHolder(QProcess &holder, const QString &key, QByteArray &answer)
{
    holder.start(QStringLiteral(GUARD_HOLDER_PATH), {key});
    if (!holder.waitForStarted() || !holder.waitForReadyRead(10000))
        return false;
    answer = holder.readLine().trimmed();
    return true;
}

void TestStartup::secondInstanceIsRefused()
{
    const QString key = uniqueKey("second");
    QProcess first;
    QByteArray answer;
    QVERIFY(startHolder(first, key, answer));
    QCOMPARE(answer, QByteArray("held"));

    SingleInstanceGuard here(key);
    QVERIFY(!here.acquire());
    QProcess second;
    QVERIFY(startHolder(second, key, answer));
    QCOMPARE(answer, QByteArray("refused"));
    QVERIFY(second.waitForFinished(5000));

    // The first launcher ends normally: the lock is free again.
    first.closeWriteChannel();
    QVERIFY(first.waitForFinished(5000));
    QVERIFY(here.acquire());
    QVERIFY(here.isHeld());
    SingleInstanceGuard third(key);
    QVERIFY(!third.acquire());
}

void TestStartup::staleSegmentIsCleared()
{
    const QString key = uniqueKey("stale");
    QProcess killed;
    QByteArray answer;
    QVERIFY(startHolder(killed, key, answer));
    QCOMPARE(answer, QByteArray("held"));
    killed.kill(); // SIGKILL: the segment is left behind
    QVERIFY(killed.waitForFinished(5000));

    SingleInstanceGuard next(key);
    QVERIFY(next.acquire());
    // The new lock is a real one: a further launcher is refused.
    QProcess later;
    QVERIFY(startHolder(later, key, answer));
    QCOMPARE(answer, QByteArray("refused"));
    QVERIFY(later.waitForFinished(5000));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_launcher_startup.moc"
