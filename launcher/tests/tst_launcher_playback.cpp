#include "FakePlayback.h"
#include "LauncherFixtures.h"
#include "LogCapture.h"
#include "player/PlaybackSequence.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Phase = PlaybackSequence::Phase;
using End = PlaybackSequence::End;

Q_DECLARE_METATYPE(PlaybackSequence::End)
Q_DECLARE_METATYPE(PlaybackSequence::Phase)

class TestPlaybackSequence : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void reports_data();
    void reports();
    void randomReportsEndEachVideoOnce();
    void everyTransitionIsLogged();

private:
    QTemporaryDir m_dir;
    QString m_video;
};

void TestPlaybackSequence::initTestCase()
{
    qRegisterMetaType<PlaybackSequence::End>();
    m_video = m_dir.filePath(QStringLiteral("intro.avi"));
    writeFile(m_video, "RIFF");
}

void TestPlaybackSequence::reports_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("ends");
    QTest::addColumn<int>("seeks");
    QTest::addColumn<Phase>("phase");

    QTest::newRow("natural end") << "start playing stopped finished" << "natural" << 0 << Phase::Ended;
    QTest::newRow("the end of the video before") << "start finished playing" << "" << 0 << Phase::Playing;
    // The video before pausing on its way out is no start of this one.
    QTest::newRow("a pause is no start") << "start paused stopped finished" << "" << 0 << Phase::Loading;
    QTest::newRow("play request lost") << "start paused stopped wait playing" << "" << 0 << Phase::Playing;
    QTest::newRow("playing never reported") << "start quietly-playing wait" << "" << 0 << Phase::Playing;
    QTest::newRow("never plays") << "start stopped timeout playing" << "unplayable" << 0 << Phase::Ended;
    QTest::newRow("skip, end reported") << "start playing skip finished" << "skipped" << 1 << Phase::Ended;
    // The back end may stay on the last frame after the seek to the end.
    QTest::newRow("skip, end never reported") << "start playing skip wait finished" << "skipped" << 1
                                              << Phase::Ended;
    // A second seek would wait for the back end's streaming thread.
    QTest::newRow("skip sought once") << "start playing skip skip stopped skip finished" << "skipped" << 1
                                      << Phase::Ended;
    QTest::newRow("skip while loading") << "start paused skip playing finished" << "skipped" << 0 << Phase::Ended;
    QTest::newRow("stopped, end never reported") << "start playing stopped wait finished" << "natural" << 0
                                                 << Phase::Ended;
    QTest::newRow("error while loading") << "start error playing finished" << "failed" << 0 << Phase::Ended;
    QTest::newRow("error while playing") << "start playing error finished" << "failed" << 0 << Phase::Ended;
    QTest::newRow("error while skipping") << "start playing skip error finished" << "skipped" << 1 << Phase::Ended;
    QTest::newRow("reports repeated") << "start playing playing finished finished skip" << "natural" << 0
                                      << Phase::Ended;
    QTest::newRow("missing file") << "missing playing finished" << "missing" << 0 << Phase::Ended;
    // A video given up for another one never ends; the new one does.
    QTest::newRow("started anew") << "start playing start finished playing finished" << "natural" << 0
                                  << Phase::Ended;
    QTest::newRow("nothing started") << "skip playing finished" << "" << 0 << Phase::Ended;
}

void TestPlaybackSequence::reports()
{
    QFETCH(QString, script);
    QFETCH(QString, ends);
    QFETCH(int, seeks);
    QFETCH(Phase, phase);

    FakePlayback backend;
    const PlaybackSequence::Timing timing{1500, 40, 150};
    PlaybackSequence sequence(backend, timing);
    QStringList endNames;
    connect(&sequence, &PlaybackSequence::ended, this, [&](End end, const QString &message) {
        static const char *const names[] = {"natural", "skipped", "missing", "unplayable", "failed"};
        endNames << QLatin1String(names[int(end)]);
        QCOMPARE(message.isEmpty(), end != End::Failed);
    });
    const QHash<QString, Phonon::State> states{{QStringLiteral("playing"), Phonon::PlayingState},
                                               {QStringLiteral("stopped"), Phonon::StoppedState},
                                               {QStringLiteral("paused"), Phonon::PausedState},
                                               {QStringLiteral("error"), Phonon::ErrorState}};
    for (const QString &step : script.split(QLatin1Char(' '))) {
        if (step == QLatin1String("start"))
            sequence.start(m_video);
        else if (step == QLatin1String("missing"))
            sequence.start(m_dir.filePath(QStringLiteral("none.avi")));
        else if (step == QLatin1String("skip"))
            sequence.skip();
        else if (step == QLatin1String("finished"))
            backend.reportFinished();
        else if (step == QLatin1String("quietly-playing"))
            backend.setStateSilently(Phonon::PlayingState);
        else if (step == QLatin1String("wait"))
            QTest::qWait(timing.skipEndDelayMs * 2);
        else if (step == QLatin1String("timeout"))
            QTest::qWait(timing.startTimeoutMs + 500);
        else
            backend.report(states.value(step));
        // Each report is taken on its own, as the event loop delivers them.
        QCoreApplication::processEvents();
    }
    QCOMPARE(endNames.join(QLatin1Char(' ')), ends);
    QCOMPARE(backend.count(QStringLiteral("seek")), seeks);
    QCOMPARE(sequence.current().phase, phase);
    // A lost play request is asked again, a few times at most.
    QVERIFY(backend.count(QStringLiteral("play")) <= PlaybackSequence::maxPlayRepeats);
    if (script.contains(QLatin1String("wait playing")) || ends == QLatin1String("unplayable"))
        QVERIFY(backend.count(QStringLiteral("play")) >= 1);
}

void TestPlaybackSequence::randomReportsEndEachVideoOnce()
{
    // Whatever the back end reports, in whatever order, and however often
    // the operator skips: each video ends at most once, and only while it
    // is the current one; it is sought to its end at most once; and once it
    // has ended the back end hears nothing more about it.
    const Phonon::State states[] = {Phonon::LoadingState, Phonon::StoppedState, Phonon::PlayingState,
                                    Phonon::BufferingState, Phonon::PausedState, Phonon::ErrorState};
    const PlaybackSequence::Timing noTimers{600000, 600000, 600000};
    QRandomGenerator random(20261208);
    for (int run = 0; run < 300; ++run) {
        FakePlayback backend;
        PlaybackSequence sequence(backend, noTimers);
        QVector<int> endedNumbers;
        connect(&sequence, &PlaybackSequence::ended, &sequence,
                [&] { endedNumbers << sequence.current().number; });
        int commandsAtEnd = -1;
        int seeksBefore = 0;
        for (int step = 0; step < 40; ++step) {
            const int event = random.bounded(10);
            if (event == 0) {
                sequence.start(m_video);
                commandsAtEnd = -1;
                seeksBefore = backend.count(QStringLiteral("seek"));
            } else if (event <= 2) {
                sequence.skip();
            } else if (event == 3) {
                backend.reportFinished();
            } else {
                backend.report(states[random.bounded(6)]);
            }
            if (random.bounded(2))
                QCoreApplication::processEvents();
            if (sequence.current().phase == Phase::Ended && commandsAtEnd < 0)
                commandsAtEnd = backend.m_commands.size();
            if (commandsAtEnd >= 0)
                QCOMPARE(backend.m_commands.size(), commandsAtEnd);
            QVERIFY(backend.count(QStringLiteral("seek")) - seeksBefore <= 1);
        }
        QCoreApplication::processEvents();
        QCOMPARE(QSet<int>(endedNumbers.begin(), endedNumbers.end()).size(), endedNumbers.size());
        if (sequence.current().phase == Phase::Ended && sequence.current().number > 0)
            QCOMPARE(endedNumbers.value(endedNumbers.size() - 1), sequence.current().number);
    }
}

void TestPlaybackSequence::everyTransitionIsLogged()
{
    const LogCapture capture({QStringLiteral("quorvel.player")});
    FakePlayback backend;
    PlaybackSequence sequence(backend, {600000, 600000, 600000});
    sequence.start(m_video);
    backend.report(Phonon::PausedState);
    backend.report(Phonon::PlayingState);
    sequence.skip();
    backend.reportFinished();

    const QStringList lines = capture.lines().filter(QStringLiteral("->"));
    const QString prefix = QStringLiteral("quorvel.player: video 1 ");
    QCOMPARE(lines, QStringList({prefix + QStringLiteral("start: Ended -> Loading"),
                                 prefix + QStringLiteral("playing: Loading -> Playing"),
                                 prefix + QStringLiteral("skip: Playing -> Skipping"),
                                 prefix + QStringLiteral("finished: Skipping -> Ended")}));
    QCOMPARE(capture.lines({prefix + QStringLiteral("paused: stays Loading")}).size(), 1);
    QCOMPARE(capture.lines({prefix + QStringLiteral("ends: Skipped")}).size(), 1);
}

QTEST_GUILESS_MAIN(TestPlaybackSequence)
#include "tst_launcher_playback.moc"
