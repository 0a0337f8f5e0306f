// The launcher's end: asked to stop, or losing its X display, in the middle
// of a video, it ends within two seconds; so does a process whose way out
// hangs the way the launcher's did with the media back end.
#include "LauncherFixtures.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>

class TestLauncherEnding : public QObject
{
    Q_OBJECT

private slots:
    void endsWithinTwoSeconds_data();
    void endsWithinTwoSeconds();
};

void TestLauncherEnding::endsWithinTwoSeconds_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("exitCode"); // -1: any
    const QString launcher = QStringLiteral(QUORVELENV_PATH);
    const QString probe = QStringLiteral(END_PROBE_PATH);
    QTest::newRow("SIGTERM mid-video") << launcher << "SIGTERM" << 0;
    QTest::newRow("SIGINT mid-video") << launcher << "SIGINT" << 0;
    QTest::newRow("display lost mid-video") << launcher << "display lost" << -1;
    QTest::newRow("exit from a streaming thread") << probe << "thread-exit" << 3;
    QTest::newRow("SIGTERM while held up") << probe << "held" << 0;
}

void TestLauncherEnding::endsWithinTwoSeconds()
{
    QFETCH(QString, program);
    QFETCH(QString, end);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    for (const char *folder : {"system", "user", "tmp"})
        QDir(dir.path()).mkpath(QLatin1String(folder));
    // A PC with two audio outputs or fewer plays skip.avi from the working
    // folder in place of the intro: here a minute of video.
    writeFile(dir.filePath(QStringLiteral("skip.avi")), tinyAviVideo(600));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), dir.filePath(QStringLiteral("system")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("user")));
    environment.insert(QStringLiteral("TMPDIR"), dir.filePath(QStringLiteral("tmp")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QProcess display;
    if (end == QLatin1String("display lost")) {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            QSKIP("Xvfb is not installed");
        display.start(xvfb, QStringList{QStringLiteral("-displayfd"), QStringLiteral("1"),
                                        QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QTRY_VERIFY_WITH_TIMEOUT(display.canReadLine(), 10000);
        environment.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + QString::fromLatin1(display.readLine().trimmed()));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    }

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(dir.path());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, program == QLatin1String(END_PROBE_PATH) ? QStringList{end} : QStringList());
    if (program == QLatin1String(END_PROBE_PATH))
        QTRY_VERIFY_WITH_TIMEOUT(process.canReadLine(), 10000);
    else
        QVERIFY(!process.waitForFinished(3000)); // well into the video

    QElapsedTimer clock;
    clock.start();
    if (end == QLatin1String("display lost"))
        display.terminate(); // as at a logout
    else if (end != QLatin1String("thread-exit"))
        ::kill(pid_t(process.processId()), end == QLatin1String("SIGINT") ? SIGINT : SIGTERM);
    const bool ended = process.state() == QProcess::NotRunning || process.waitForFinished(15000);
    qInfo("%s: ended after %lld ms", qPrintable(end), clock.elapsed());
    if (!ended)
        process.kill();
    QVERIFY2(ended, "the process hangs");
    // Two seconds, and room for a loaded machine to schedule the process.
    QVERIFY(clock.elapsed() < 3000);
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    if (exitCode >= 0)
        QCOMPARE(process.exitCode(), exitCode);
    display.waitForFinished();
}

QTEST_GUILESS_MAIN(TestLauncherEnding)
#include "tst_launcher_ending.moc"
