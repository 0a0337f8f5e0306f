// Runs the real QuorvelEnv program the way an operator starts it, with its
// settings, project files and machine programs all made by the test.
#include "LauncherFixtures.h"
#include "startup/SingleInstanceGuard.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void projectStartsMachineProgram_data();
    void projectStartsMachineProgram();
    void earlyEnds_data();
    void earlyEnds();
    void secondLauncherEndsAtOnce();
    void givesWayToRunningMainProgram();

private:
    // Runs the launcher in the test's work folder; returns its exit code, -1
    // when it was still running after timeoutMs and ended cleanly when asked
    // to stop, -3 when it had to be killed.
    int runLauncher(const QStringList &arguments, int timeoutMs, qint64 *elapsedMs = nullptr);
    void addMachine(const QString &name, int id, int protocolSta);

    QTemporaryDir *m_dir = nullptr;
    QString m_program;
};

void TestEndToEnd::init()
{
    m_dir = new QTemporaryDir;
    QDir root(m_dir->path());
    for (const char *folder : {"system", "user", "work", "tmp"})
        root.mkpath(QLatin1String(folder));

    m_program = QStringLiteral(QUORVELENV_PATH);
}

void TestEndToEnd::cleanup()
{
    delete m_dir;
}

void TestEndToEnd::addMachine(const QString &name, int id, int protocolSta)
{
    const QString pathMac = m_dir->filePath(QStringLiteral("machines/") + name);
    QDir().mkpath(pathMac + QStringLiteral("/bin"));
    writeFile(pathMac + QStringLiteral("/descr.xml"),
              macXmlFile(1, QStringLiteral("<MACCHINA><BODY><MACUID>%1</MACUID></BODY></MACCHINA>").arg(id)));
    writeRecorderProgram(pathMac + QStringLiteral("/Macchina"), m_dir->filePath(name + QStringLiteral(".rec")));

    const QString ini = m_dir->filePath(QStringLiteral("system/Prevok S.p.A./QuorvelEnv.conf"));
    QSettings store(ini, QSettings::IniFormat);
    store.setValue(QStringLiteral("PathBin"), m_dir->filePath(QStringLiteral("platform/Quorvel")));
    store.beginGroup(QStringLiteral("Machines/") + name);
    store.setValue(QStringLiteral("PathBin"), QString(pathMac + QStringLiteral("/Macchina")));
    store.setValue(QStringLiteral("PathMac"), pathMac);
    store.setValue(QStringLiteral("Config"), QStringLiteral("Standard"));
    store.setValue(QStringLiteral("SvnId"), QStringLiteral("5120"));
    store.setValue(QStringLiteral("MacRootFile"), QStringLiteral("descr.xml"));
    store.setValue(QStringLiteral("MacFileType"), 2);
    store.setValue(QStringLiteral("ProtocolSta"), protocolSta);
    store.endGroup();
}

int TestEndToEnd::runLauncher(const QStringList &arguments, int timeoutMs, qint64 *elapsedMs)
{
    QProcess launcher;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Store A (system scope) and store B (user scope) from the test's folder.
    environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), m_dir->filePath(QStringLiteral("system")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->filePath(QStringLiteral("user")));
    // The single-instance lock lives under the temporary folder: this test's
    // launchers do not meet a launcher the operator runs.
    environment.insert(QStringLiteral("TMPDIR"), m_dir->filePath(QStringLiteral("tmp")));
    launcher.setProcessEnvironment(environment);
    launcher.setWorkingDirectory(m_dir->filePath(QStringLiteral("work")));
    launcher.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    launcher.start(m_program, arguments);
    if (!launcher.waitForFinished(timeoutMs)) {
        // Still running: asked to stop the way a session does, it must end
        // at once and cleanly, releasing its lock.
        launcher.terminate();
        if (launcher.waitForFinished(5000) && launcher.exitStatus() == QProcess::NormalExit
            && launcher.exitCode() == 0)
            return -1;
        launcher.kill();
        launcher.waitForFinished();
        return -3;
    }
    if (elapsedMs)
        *elapsedMs = clock.elapsed();
    return launcher.exitStatus() == QProcess::NormalExit ? launcher.exitCode() : -2;
}

void TestEndToEnd::projectStartsMachineProgram_data()
{
    QTest::addColumn<QString>("projectArgument");
    QTest::newRow("relative path") << QStringLiteral("progetti/maglia 1.qvl");
    QTest::newRow("absolute path") << QString();
}

void TestEndToEnd::projectStartsMachineProgram()
{
    QFETCH(QString, projectArgument);

    addMachine(QStringLiteral("Lineare"), 44, 1);
    addMachine(QStringLiteral("Circolare"), 45, 1);
    const QString project = m_dir->filePath(QStringLiteral("work/progetti/maglia 1.qvl"));
    QDir().mkpath(QFileInfo(project).path());
    writeFile(project, QByteArray("QVL\x2D project body", 17));
    if (projectArgument.isEmpty())
        projectArgument = project;

    qint64 elapsed = 0;
    QCOMPARE(runLauncher({projectArgument, QStringLiteral("NOINTRO")}, 20000, &elapsed), 0);
    qInfo("project start: launcher ended %lld ms after it was started", elapsed);
    QVERIFY(elapsed >= 1000);

    RecordedStart start;
    QTRY_VERIFY_WITH_TIMEOUT(readRecordedStart(m_dir->filePath(QStringLiteral("Circolare.rec")), start), 5000);
    const QString pathMac = m_dir->filePath(QStringLiteral("machines/Circolare"));
    QCOMPARE(start.arguments, QStringList({QStringLiteral("-m"), pathMac, QStringLiteral("-n"), QStringLiteral("Standard"),
                                           QStringLiteral("-r"), QStringLiteral("5120"), QStringLiteral("-p"),
                                           projectArgument}));
    QCOMPARE(start.workingDirectory, QDir(pathMac + QStringLiteral("/bin")).canonicalPath());
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("Lineare.rec"))));
}

void TestEndToEnd::earlyEnds_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("project");

    QTest::newRow("nointro is a missing project") << QStringList{QStringLiteral("nointro")} << QByteArray();
    QTest::newRow("short project file") << QStringList{QStringLiteral("p.qvl")} << QByteArray("QV", 2);
    QTest::newRow("machine id 0") << QStringList{QStringLiteral("p.qvl")} << QByteArray("QVL\0", 4);
    QTest::newRow("unknown machine") << QStringList{QStringLiteral("p.qvl")} << QByteArray("QVL\x63", 4);
    QTest::newRow("machine not for projects") << QStringList{QStringLiteral("p.qvl")} << QByteArray("QVL\x2E", 4);
}

void TestEndToEnd::earlyEnds()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, project);

    addMachine(QStringLiteral("Ferma"), 46, 0);
    if (!project.isNull())
        writeFile(m_dir->filePath(QStringLiteral("work/p.qvl")), project);
    QCOMPARE(runLauncher(arguments, 20000), 0);
    QTest::qWait(300);
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("Ferma.rec"))));
}

void TestEndToEnd::secondLauncherEndsAtOnce()
{
    addMachine(QStringLiteral("Lineare"), 44, 1);
    writeFile(m_dir->filePath(QStringLiteral("work/p.qvl")), QByteArray("QVL\x2C", 4));

    // A running launcher, stood in for by a process holding the same lock.
    QProcess holder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), m_dir->filePath(QStringLiteral("tmp")));
    holder.setProcessEnvironment(environment);
    holder.start(QStringLiteral(GUARD_HOLDER_PATH), {SingleInstanceGuard::launcherKey()});
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));

    for (const QStringList &arguments : {QStringList{QStringLiteral("p.qvl")}, QStringList{QStringLiteral("NOINTRO")},
                                         QStringList()}) {
        qint64 elapsed = 0;
        QCOMPARE(runLauncher(arguments, 10000, &elapsed), 0);
        qInfo("second launcher with %d argument(s) ended after %lld ms", int(arguments.size()), elapsed);
        QVERIFY(elapsed < 5000);
    }
    QTest::qWait(300);
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("Lineare.rec"))));
    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(5000));

    // Once the lock is free the project starts.
    QCOMPARE(runLauncher({QStringLiteral("p.qvl")}, 20000), 0);
    RecordedStart start;
    QTRY_VERIFY_WITH_TIMEOUT(readRecordedStart(m_dir->filePath(QStringLiteral("Lineare.rec")), start), 5000);
}

void TestEndToEnd::givesWayToRunningMainProgram()
{
    // Without the main program the launcher goes on to its intro and stays.
    QCOMPARE(runLauncher({}, 2500), -1);

    // The main program, stood in for by a script of the same name.
    const QString mainProgram = m_dir->filePath(QStringLiteral("Quorvel"));
    writeFile(mainProgram, "#!/bin/sh\nsleep 20\n");
    QFile::setPermissions(mainProgram, QFile::ReadOwner | QFile::ExeOwner);
    QProcess quorvel;
    quorvel.start(mainProgram, QStringList());
    QVERIFY(quorvel.waitForStarted());
    QTest::qWait(200);

    qint64 elapsed = 0;
    const int exitCode = runLauncher({}, 10000, &elapsed);
    quorvel.kill();
    quorvel.waitForFinished();
    QCOMPARE(exitCode, 0);
    qInfo("launcher gave way to the main program after %lld ms", elapsed);

    // With the main program gone the launcher stays again: neither the
    // killed launchers before nor anything else ended it.
    QCOMPARE(runLauncher({}, 2500), -1);
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_launcher_endtoend.moc"
