// The launcher's end: asked to stop, or losing its X display, in the middle
// of a video, the launcher ends within two seconds, also when its own thread
// is held up or a library exits from a thread of its own.
#include "LauncherFixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>

namespace {

constexpr qint64 promptEndMs = 2000;
// Room for a loaded machine to schedule the ending process.
constexpr qint64 schedulingSlackMs = 1000;

// Waits for the process to end; returns how long that took.
qint64 timeToEnd(QProcess &process)
{
    QElapsedTimer clock;
    clock.start();
    if (!process.waitForFinished(15000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return clock.elapsed();
}

} // namespace

class TestLauncherEnding : public QObject
{
    Q_OBJECT

private slots:
    void midVideo_data();
    void midVideo();
    void wayOutHeldUp_data();
    void wayOutHeldUp();
};

void TestLauncherEnding::midVideo_data()
{
    QTest::addColumn<QString>("end");
    QTest::newRow("SIGTERM") << QStringLiteral("SIGTERM");
    QTest::newRow("SIGINT") << QStringLiteral("SIGINT");
    QTest::newRow("display lost") << QStringLiteral("display lost");
}

void TestLauncherEnding::midVideo()
{
    QFETCH(QString, end);
    QTemporaryDir dir;
    QDir root(dir.path());
    for (const char *folder : {"system", "user", "work", "tmp"})
        root.mkpath(QLatin1String(folder));
    // A PC with two audio outputs or fewer plays skip.avi from the working
    // folder in place of the intro: a minute of video.
    writeFile(dir.filePath(QStringLiteral("work/skip.avi")), tinyAviVideo(600));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), dir.filePath(QStringLiteral("system")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("user")));
    environment.insert(QStringLiteral("TMPDIR"), dir.filePath(QStringLiteral("tmp")));

    QProcess display;
    if (end == QLatin1String("display lost")) {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            QSKIP("Xvfb is not installed");
        display.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                             QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                             QStringLiteral("800x600x24")});
        QVERIFY(display.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(display.canReadLine(), 10000);
        const QByteArray number = display.readLine().trimmed();
        environment.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + QString::fromLatin1(number));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    } else {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }

    QProcess launcher;
    launcher.setProcessEnvironment(environment);
    launcher.setWorkingDirectory(dir.filePath(QStringLiteral("work")));
    launcher.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    launcher.start(QStringLiteral(QUORVELENV_PATH), QStringList());
    QVERIFY(launcher.waitForStarted());
    // The video is under way well within this time; the launcher stays.
    QVERIFY(!launcher.waitForFinished(3000));

    if (end == QLatin1String("SIGTERM"))
        ::kill(pid_t(launcher.processId()), SIGTERM);
    else if (end == QLatin1String("SIGINT"))
        ::kill(pid_t(launcher.processId()), SIGINT);
    else
        display.kill();
    const qint64 elapsed = timeToEnd(launcher);
    qInfo("%s: the launcher ended after %lld ms", qPrintable(end), elapsed);
    QVERIFY2(elapsed >= 0, "the launcher hangs");
    QVERIFY(elapsed < promptEndMs + schedulingSlackMs);
    QCOMPARE(launcher.exitStatus(), QProcess::NormalExit);
    if (end != QLatin1String("display lost"))
        QCOMPARE(launcher.exitCode(), 0);
    display.kill();
    display.waitForFinished();
}

void TestLauncherEnding::wayOutHeldUp_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("exit from a thread of its own") << QStringLiteral("thread-exit") << 3;
    QTest::newRow("signal while held up") << QStringLiteral("held") << 0;
}

void TestLauncherEnding::wayOutHeldUp()
{
    QFETCH(QString, mode);
    QFETCH(int, exitCode);
    QProcess probe;
    probe.start(QStringLiteral(END_PROBE_PATH), {mode});
    QVERIFY(probe.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(probe.canReadLine(), 10000);
    if (mode == QLatin1String("held"))
        ::kill(pid_t(probe.processId()), SIGTERM);
    const qint64 elapsed = timeToEnd(probe);
    qInfo("%s: ended after %lld ms", qPrintable(mode), elapsed);
    QVERIFY2(elapsed >= 0, "the process hangs");
    QVERIFY(elapsed < promptEndMs + schedulingSlackMs);
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), exitCode);
}

QTEST_GUILESS_MAIN(TestLauncherEnding)
#include "tst_launcher_ending.moc"
