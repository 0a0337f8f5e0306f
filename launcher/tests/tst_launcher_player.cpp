#include "FakePlayback.h"
#include "LauncherFixtures.h"
#include "dock/QDockQuorvelEnv.h"
#include "player/MediaPlayer.h"
#include "player/MediaVideoWidget.h"
#include "startup/LauncherStartup.h"

#include <QDir>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>
#include <QElapsedTimer>
#include <QtTest>

namespace {

// Time limits short enough for the tests that wait for them.
const PlaybackSequence::Timing quickTimers{600, 40, 150};

// A player on a PC with a chosen number of audio outputs, on the real back
// end or on one the test drives.
class TestPlayer : public MediaPlayer
{
public:
    explicit TestPlayer(int audioOutputs) : MediaPlayer(false), m_audioOutputs(audioOutputs) {}
    TestPlayer(int audioOutputs, FakePlayback &backend)
        : MediaPlayer(false, backend, quickTimers), m_audioOutputs(audioOutputs)
    {
    }

protected:
    int audioOutputDeviceCount() const override { return m_audioOutputs; }

private:
    int m_audioOutputs;
};

int dockCount(const MediaPlayer &player)
{
    return player.findChildren<QDockQuorvelEnv *>(QString(), Qt::FindDirectChildrenOnly).size();
}

// Runs the test's steps with the given folder as current directory.
class CurrentDirectory
{
public:
    explicit CurrentDirectory(const QString &path) : m_old(QDir::currentPath()) { QDir::setCurrent(path); }
    ~CurrentDirectory() { QDir::setCurrent(m_old); }

private:
    QString m_old;
};

constexpr int playTimeoutMs = 15000;

} // namespace

class TestPlayerWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startFileRule_data();
    void startFileRule();
    void introThenReplacementOnce();
    void fewAudioOutputsPlaySkipTwice();
    void missingVideosDoNotBlock();
    void replacementFillsTheVideoArea();
    void unplayableVideoDoesNotBlock();
    void escapeEndsIntroReplacementPlaysOn();
    void fullScreenSwitches();
    void noContextMenuAndNoClose();
    void cursorHiddenInFullScreen();
    void droppedFolderAndQueue();
    void introIsFullScreenFromLoadingToPlaying();
    void oneFinishedPerVideo_data();
    void oneFinishedPerVideo();
    void leavingFullScreenDuringIntro_data();
    void leavingFullScreenDuringIntro();

private:
    // Writes an intro and its replacement for the fake back end; returns the
    // intro's path.
    QString fakeVideos();

    QTemporaryDir *m_dir = nullptr;
    SettingsSandbox *m_settings = nullptr;
    RecordingMessages *m_messages = nullptr;
};

QString TestPlayerWindow::fakeVideos()
{
    writeFile(m_dir->filePath(QStringLiteral("skip.avi")), "RIFF");
    const QString intro = m_dir->filePath(QStringLiteral("introQuorvel.avi"));
    writeFile(intro, "RIFF");
    return intro;
}

void TestPlayerWindow::initTestCase()
{
    initLauncherResources();
}

void TestPlayerWindow::init()
{
    m_dir = new QTemporaryDir;
    m_settings = new SettingsSandbox;
    m_messages = new RecordingMessages;
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TestPlayerWindow::cleanup()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    delete m_messages;
    delete m_settings;
    delete m_dir;
}

void TestPlayerWindow::startFileRule_data()
{
    QTest::addColumn<int>("outputs");
    QTest::addColumn<QString>("file");

    const QString intro = QStringLiteral("/opt/Prevok/introQuorvel.avi");
    QTest::newRow("none") << 0 << QStringLiteral("skip.avi");
    QTest::newRow("1") << 1 << QStringLiteral("skip.avi");
    QTest::newRow("2") << 2 << QStringLiteral("skip.avi");
    QTest::newRow("3") << 3 << intro;
    QTest::newRow("8") << 8 << intro;
}

void TestPlayerWindow::startFileRule()
{
    QFETCH(int, outputs);
    QFETCH(QString, file);
    QCOMPARE(MediaPlayer::startFileFor(QStringLiteral("/opt/Prevok/introQuorvel.avi"), outputs), file);
}

void TestPlayerWindow::introThenReplacementOnce()
{
    const QString intro = m_dir->filePath(QStringLiteral("introQuorvel.avi"));
    writeFile(intro, tinyAviVideo(3));
    writeFile(m_dir->filePath(QStringLiteral("skip.avi")), tinyAviVideo(3));

    TestPlayer player(3);
    QSignalSpy ends(&player.mediaObject(), &Phonon::MediaObject::finished);
    player.initPlayer(intro);
    QVERIFY(player.videoWidget()->inFullScreen());
    QCOMPARE(player.currentFile(), intro);
    QVERIFY(!player.isVisible());

    QTRY_COMPARE_WITH_TIMEOUT(ends.count(), 1, playTimeoutMs);
    QVERIFY(player.introHandled());
    QCOMPARE(dockCount(player), 1);
    QVERIFY(player.isMaximized());
    QVERIFY(!player.videoWidget()->inFullScreen());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(player.currentFile(), m_dir->filePath(QStringLiteral("skip.avi")));

    QTRY_COMPARE_WITH_TIMEOUT(ends.count(), 2, playTimeoutMs);
    QCOMPARE(dockCount(player), 2);
    // The information line names the local file, not its URL.
    auto *info = player.findChild<QLabel *>(QStringLiteral("infoLabel"));
    QTRY_VERIFY(info->text().startsWith(QStringLiteral("File: <font color=#ffeeaa>skip.avi</font>")));
    QTest::qWait(1000);
    QCOMPARE(ends.count(), 2);
    QCOMPARE(player.mediaObject().state(), Phonon::StoppedState);
    QVERIFY(m_messages->boxes.isEmpty());
}

void TestPlayerWindow::fewAudioOutputsPlaySkipTwice()
{
    writeFile(m_dir->filePath(QStringLiteral("skip.avi")), "RIFF");
    CurrentDirectory current(m_dir->path());

    FakePlayback backend;
    TestPlayer player(2, backend);
    player.initPlayer(QStringLiteral("/nowhere/introQuorvel.avi"));
    QCOMPARE(player.currentFile(), QStringLiteral("skip.avi"));
    QCOMPARE(backend.m_file, m_dir->filePath(QStringLiteral("skip.avi")));
    for (int video = 1; video <= 2; ++video) {
        backend.report(Phonon::PlayingState);
        backend.report(Phonon::StoppedState);
        backend.reportFinished();
        QTRY_COMPARE(dockCount(player), video);
        QCOMPARE(player.currentFile(), QStringLiteral("skip.avi"));
    }
    QCOMPARE(backend.count(QStringLiteral("playFile")), 2);
    QVERIFY(m_messages->boxes.isEmpty());
}

void TestPlayerWindow::missingVideosDoNotBlock()
{
    CurrentDirectory current(m_dir->path());
    TestPlayer player(3);
    player.initPlayer(m_dir->filePath(QStringLiteral("introQuorvel.avi")));

    // The intro and its replacement are both missing: each is reported,
    // and the dock comes up after each.
    QTRY_COMPARE_WITH_TIMEOUT(m_messages->boxes.size(), 2, 3000);
    for (const RecordingMessages::Box &box : qAsConst(m_messages->boxes)) {
        QCOMPARE(box.kind, QStringLiteral("warning"));
        QCOMPARE(box.title, QStringLiteral("Phonon Mediaplayer"));
    }
    QVERIFY(m_messages->boxes.at(0).text.contains(QStringLiteral("introQuorvel.avi")));
    QVERIFY(m_messages->boxes.at(1).text.contains(QStringLiteral("skip.avi")));
    QCOMPARE(dockCount(player), 2);
    QVERIFY(player.isMaximized());
    QVERIFY(!player.videoWidget()->inFullScreen());
    QVERIFY(!QApplication::overrideCursor());
    QTest::qWait(300);
    QCOMPARE(m_messages->boxes.size(), 2);
}

void TestPlayerWindow::unplayableVideoDoesNotBlock()
{
    // A file the back end never starts, without an error: the player must
    // not wait for it for ever, and says which file it could not play.
    const QString intro = m_dir->filePath(QStringLiteral("broken.avi"));
    writeFile(intro, QByteArray(4096, '\x5A'));
    FakePlayback backend;
    TestPlayer player(3, backend);
    player.initPlayer(intro);
    backend.report(Phonon::StoppedState);
    QTRY_COMPARE(m_messages->boxes.size(), 1);
    QCOMPARE(m_messages->boxes.at(0).title, QStringLiteral("Phonon Mediaplayer"));
    QVERIFY(m_messages->boxes.at(0).text.contains(QStringLiteral("broken.avi")));
    QCOMPARE(dockCount(player), 1);
    // The replacement (the same name: it holds no "introQuorvel") fails too.
    QTRY_COMPARE(m_messages->boxes.size(), 2);
    QCOMPARE(dockCount(player), 2);
}

void TestPlayerWindow::replacementFillsTheVideoArea()
{
    FakePlayback backend;
    TestPlayer player(3, backend);
    player.initPlayer(fakeVideos());
    backend.report(Phonon::PlayingState);
    backend.reportFinished();
    QTRY_COMPARE(dockCount(player), 1);
    backend.report(Phonon::PlayingState);
    // Back from full screen, the surface fills the video area again, so the
    // replacement is seen beside the dock.
    MediaVideoWidget *video = player.videoWidget();
    QTRY_VERIFY(video->isVisible() && !video->isWindow());
    QTRY_COMPARE(video->size(), video->parentWidget()->size());
}

void TestPlayerWindow::escapeEndsIntroReplacementPlaysOn()
{
    FakePlayback backend;
    TestPlayer player(3, backend);
    player.initPlayer(fakeVideos());
    backend.report(Phonon::PlayingState);
    QTest::keyClick(player.videoWidget(), Qt::Key_Escape, Qt::ShiftModifier);
    QCOMPARE(backend.count(QStringLiteral("seek")), 0);
    QTest::keyClick(player.videoWidget(), Qt::Key_Escape);
    QCOMPARE(backend.count(QStringLiteral("seek")), 1);
    backend.reportFinished();
    QTRY_COMPARE(dockCount(player), 1);
    QCOMPARE(player.currentFile(), m_dir->filePath(QStringLiteral("skip.avi")));
    QCOMPARE(backend.count(QStringLiteral("playFile")), 2);

    // The back end, still winding the intro down, pauses, stops, reports its
    // end again and loses the replacement's play request. The replacement is
    // asked again and plays on; nothing counts as its end.
    backend.report(Phonon::PausedState);
    backend.report(Phonon::StoppedState);
    backend.reportFinished();
    QTRY_VERIFY(backend.count(QStringLiteral("play")) >= 1);
    backend.report(Phonon::PlayingState);
    QTest::qWait(quickTimers.startTimeoutMs + 200);
    QCOMPARE(dockCount(player), 1);
    QCOMPARE(player.sequence().current().phase, PlaybackSequence::Phase::Playing);
    QVERIFY(m_messages->boxes.isEmpty());
}

void TestPlayerWindow::leavingFullScreenDuringIntro_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Backspace") << QStringLiteral("backspace");
    QTest::newRow("double click") << QStringLiteral("double click");
    QTest::newRow("Alt+Return") << QStringLiteral("alt return");
}

void TestPlayerWindow::leavingFullScreenDuringIntro()
{
    QFETCH(QString, how);
    FakePlayback backend;
    TestPlayer player(3, backend);
    player.initPlayer(fakeVideos());
    backend.report(Phonon::PlayingState);
    MediaVideoWidget *video = player.videoWidget();
    if (how == QLatin1String("backspace"))
        QTest::keyClick(video, Qt::Key_Backspace);
    else if (how == QLatin1String("double click"))
        QTest::mouseDClick(video, Qt::LeftButton);
    else
        video->fullScreenAction()->trigger();

    // The intro plays on in the player, shown as a normal window the
    // operator sees, instead of leaving the screen without any window.
    QVERIFY(!video->inFullScreen());
    QVERIFY(player.isVisible());
    QVERIFY(!player.isMaximized() && !player.isMinimized());
    QVERIFY(video->isVisible());
    QVERIFY(video->width() > 100 && video->height() > 100);
    QCOMPARE(player.sequence().current().phase, PlaybackSequence::Phase::Playing);
    QCOMPARE(dockCount(player), 0);

    // Esc still skips it.
    QTest::keyClick(video, Qt::Key_Escape);
    backend.reportFinished();
    QTRY_COMPARE(dockCount(player), 1);
    QVERIFY(player.isMaximized());
}

void TestPlayerWindow::fullScreenSwitches()
{
    TestPlayer player(3);
    MediaVideoWidget *video = player.videoWidget();
    QSignalSpy switches(video, &MediaVideoWidget::fullScreenChanged);

    video->setFullScreen(true);
    QVERIFY(video->inFullScreen());
    QCOMPARE(switches.count(), 1);
    video->setFullScreen(true);
    QCOMPARE(switches.count(), 1);

    // Backspace leaves full screen, and is swallowed outside it too.
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(video, &backspace);
    QVERIFY(backspace.isAccepted());
    QVERIFY(!video->inFullScreen());
    QCOMPARE(switches.count(), 2);
    QCOMPARE(switches.at(1).at(0).toBool(), false);
    QKeyEvent again(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(video, &again);
    QVERIFY(again.isAccepted());
    QCOMPARE(switches.count(), 2);

    // Double click and the Alt+Return action both toggle.
    QTest::mouseDClick(video, Qt::LeftButton);
    QVERIFY(video->inFullScreen());
    QTest::mouseDClick(video, Qt::LeftButton);
    QVERIFY(!video->inFullScreen());
    QCOMPARE(video->fullScreenAction()->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Return));
    video->fullScreenAction()->trigger();
    QVERIFY(video->inFullScreen());
    QVERIFY(video->fullScreenAction()->isChecked());
    video->fullScreenAction()->trigger();
    QVERIFY(!video->inFullScreen());
    QCOMPARE(switches.count(), 6);
}

void TestPlayerWindow::noContextMenuAndNoClose()
{
    TestPlayer player(3);
    player.initPlayer(m_dir->filePath(QStringLiteral("none.avi")));
    QCOMPARE(player.contextMenuPolicy(), Qt::NoContextMenu);
    QCOMPARE(player.videoWidget()->contextMenuPolicy(), Qt::NoContextMenu);
    QVERIFY(player.videoWidget()->inFullScreen());
    QVERIFY(!player.videoWidget()->close());
    QVERIFY(player.videoWidget()->isVisible());
    QTRY_COMPARE(m_messages->boxes.size(), 2);
}

void TestPlayerWindow::cursorHiddenInFullScreen()
{
    // The surface is kept off screen so that the window state is the one the
    // player asked for, whatever the display does with full-screen windows.
    TestPlayer player(3);
    MediaVideoWidget *video = player.videoWidget();
    video->setWindowState(Qt::WindowFullScreen);
    QVERIFY(video->fullScreenAction()->isChecked());
    QCOMPARE(video->cursor().shape(), Qt::ArrowCursor);
    QTest::qWait(600);
    QCOMPARE(video->cursor().shape(), Qt::ArrowCursor);
    QTRY_COMPARE_WITH_TIMEOUT(video->cursor().shape(), Qt::BlankCursor, 3000);

    // A movement brings the cursor back and hides it again a second later.
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 20), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(video, &move);
    QCOMPARE(video->cursor().shape(), Qt::ArrowCursor);
    QTRY_COMPARE_WITH_TIMEOUT(video->cursor().shape(), Qt::BlankCursor, 3000);

    // Outside full screen the cursor always shows.
    video->setWindowState(Qt::WindowNoState);
    QVERIFY(!video->fullScreenAction()->isChecked());
    QCOMPARE(video->cursor().shape(), Qt::ArrowCursor);
    QApplication::sendEvent(video, &move);
    QTest::qWait(1300);
    QCOMPARE(video->cursor().shape(), Qt::ArrowCursor);
}

void TestPlayerWindow::droppedFolderAndQueue()
{
    const QString folder = m_dir->filePath(QStringLiteral("video"));
    QDir().mkpath(folder + QStringLiteral("/sub"));
    for (const char *name : {"b.avi", "a.avi", "c.avi"})
        writeFile(folder + QLatin1Char('/') + QLatin1String(name), tinyAviVideo(20));

    TestPlayer player(3);
    player.initPlayer(m_dir->filePath(QStringLiteral("intro.avi")));
    QTRY_COMPARE(m_messages->boxes.size(), 2); // intro and replacement missing

    QMimeData folderData;
    folderData.setUrls({QUrl::fromLocalFile(folder)});
    QDropEvent copy(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &folderData, Qt::LeftButton, Qt::NoModifier);
    player.handleDrop(&copy);
    QCOMPARE(player.currentFile(), folder + QDir::separator() + QStringLiteral("a.avi"));
    QCOMPARE(player.mediaObject().queue().size(), 2);
    QCOMPARE(player.mediaObject().queue().at(0).url(), QUrl::fromLocalFile(folder + QStringLiteral("/b.avi")));

    // A move drag only queues behind the current video.
    QMimeData fileData;
    fileData.setUrls({QUrl::fromLocalFile(folder + QStringLiteral("/c.avi"))});
    QDropEvent move(QPointF(5, 5), Qt::MoveAction, &fileData, Qt::LeftButton, Qt::NoModifier);
    player.handleDrop(&move);
    QCOMPARE(player.currentFile(), folder + QDir::separator() + QStringLiteral("a.avi"));
    QCOMPARE(player.mediaObject().queue().size(), 3);

    // A copy drag of files starts over with the first of them.
    QDropEvent copyFile(QPointF(5, 5), Qt::CopyAction, &fileData, Qt::LeftButton, Qt::NoModifier);
    player.handleDrop(&copyFile);
    QCOMPARE(player.currentFile(), folder + QStringLiteral("/c.avi"));
    QCOMPARE(player.mediaObject().queue().size(), 0);
}

void TestPlayerWindow::introIsFullScreenFromLoadingToPlaying()
{
    // The back end passes from loading through stopped and paused to
    // playing; the intro's surface covers the screen all along.
    const QString intro = m_dir->filePath(QStringLiteral("introQuorvel.avi"));
    writeFile(intro, tinyAviVideo(300));
    writeFile(m_dir->filePath(QStringLiteral("skip.avi")), tinyAviVideo(300));
    TestPlayer player(3);
    MediaVideoWidget *video = player.videoWidget();
    QStringList offScreen;
    QVector<Phonon::State> states;
    bool started = false;
    connect(&player.mediaObject(), &Phonon::MediaObject::stateChanged, &player,
            [&](Phonon::State newState, Phonon::State) {
                // Before the intro starts the media object reports its own
                // set-up; after its first frames the intro may end.
                if (!started || states.contains(Phonon::PlayingState))
                    return;
                states.append(newState);
                if (!video->inFullScreen() || !video->isVisible() || !(video->windowState() & Qt::WindowFullScreen)
                    || video->geometry() != QGuiApplication::primaryScreen()->geometry())
                    offScreen << QStringLiteral("state %1: window %2 visible %3 state %4 %5x%6")
                                     .arg(newState).arg(video->inFullScreen()).arg(video->isVisible())
                                     .arg(int(video->windowState())).arg(video->width()).arg(video->height());
            });
    player.initPlayer(intro);
    started = true;
    QVERIFY(video->inFullScreen());
    QVERIFY(video->isVisible());
    QCOMPARE(video->geometry(), QGuiApplication::primaryScreen()->geometry());

    QTRY_VERIFY_WITH_TIMEOUT(states.contains(Phonon::PlayingState), playTimeoutMs);
    QVERIFY(states.contains(Phonon::StoppedState));
    QVERIFY(video->inFullScreen());
    QVERIFY(video->isVisible());
    QCOMPARE(dockCount(player), 0);
    QVERIFY2(offScreen.isEmpty(), qPrintable(offScreen.join(QLatin1Char(' '))));

    // Esc still reaches the intro and ends it at once, pressed twice too;
    // full screen ends with it. The launcher's thread never waits for the
    // back end meanwhile, up to the replacement's start.
    QElapsedTimer sinceTick;
    sinceTick.start();
    qint64 longestStallMs = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&] { longestStallMs = qMax(longestStallMs, sinceTick.restart()); });
    ticker.start(10);
    QTest::keyClick(video, Qt::Key_Escape);
    QTest::keyClick(video, Qt::Key_Escape);
    QTRY_COMPARE_WITH_TIMEOUT(dockCount(player), 1, 3000);
    QVERIFY(!video->inFullScreen());
    QTRY_COMPARE_WITH_TIMEOUT(player.sequence().current().phase, PlaybackSequence::Phase::Playing, playTimeoutMs);
    qInfo("longest wait of the launcher's thread: %lld ms", longestStallMs);
    QVERIFY2(longestStallMs < 2000, qPrintable(QString::number(longestStallMs)));
}

void TestPlayerWindow::oneFinishedPerVideo_data()
{
    QTest::addColumn<QString>("end");
    QTest::newRow("natural end") << QStringLiteral("natural");
    QTest::newRow("Esc") << QStringLiteral("esc");
    QTest::newRow("Esc twice") << QStringLiteral("esc twice");
    QTest::newRow("skip") << QStringLiteral("skip");
    QTest::newRow("full-screen switches") << QStringLiteral("switch");
    QTest::newRow("playback error") << QStringLiteral("error");
}

void TestPlayerWindow::oneFinishedPerVideo()
{
    // Every way a video ends, with the back end reporting its end late and
    // twice: one dock per video, a warning only for the error.
    QFETCH(QString, end);
    FakePlayback backend;
    TestPlayer player(3, backend);
    player.initPlayer(fakeVideos());
    for (int video = 1; video <= 2; ++video) {
        backend.report(Phonon::PlayingState);
        if (end == QLatin1String("esc") || end == QLatin1String("esc twice")) {
            QTest::keyClick(player.videoWidget(), Qt::Key_Escape);
            if (end == QLatin1String("esc twice"))
                QTest::keyClick(player.videoWidget(), Qt::Key_Escape);
        } else if (end == QLatin1String("skip")) {
            player.skip();
        } else if (end == QLatin1String("switch")) {
            // Each switch that shows the surface anew ends the video; a
            // double click and Alt+Return in a row end it only once.
            QTest::mouseDClick(player.videoWidget(), Qt::LeftButton);
            player.videoWidget()->fullScreenAction()->trigger();
        } else if (end == QLatin1String("error")) {
            backend.report(Phonon::ErrorState);
        }
        backend.report(Phonon::StoppedState);
        backend.reportFinished();
        backend.reportFinished();
        QTRY_COMPARE(dockCount(player), video);
        QVERIFY(backend.count(QStringLiteral("seek")) <= video);
        QVERIFY(player.introHandled());
        QCOMPARE(player.currentFile(), m_dir->filePath(QStringLiteral("skip.avi")));
    }
    QTest::qWait(quickTimers.skipEndDelayMs * 2);
    QCOMPARE(dockCount(player), 2);
    QCOMPARE(m_messages->boxes.size(), end == QLatin1String("error") ? 2 : 0);
}

QTEST_MAIN(TestPlayerWindow)
#include "tst_launcher_player.moc"
