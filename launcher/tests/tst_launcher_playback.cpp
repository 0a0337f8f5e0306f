#include "FakePlayback.h"
#include "LauncherFixtures.h"
#include "player/PlaybackSequence.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Phase = PlaybackSequence::Phase;
using End = PlaybackSequence::End;

Q_DECLARE_METATYPE(PlaybackSequence::End)

namespace {

// Time limits far beyond any test step, for the scenarios that must not
// depend on a timer.
const PlaybackSequence::Timing noTimers{600000, 600000, 600000};
// Short ones, for the scenarios that wait for a timer.
const PlaybackSequence::Timing quickTimers{1500, 40, 150};

// The ends reported so far, by name.
QStringList endNames(const QSignalSpy &ends)
{
    static const char *const names[] = {"natural", "skipped", "missing", "unplayable", "failed"};
    QStringList result;
    for (const QList<QVariant> &end : ends)
        result << QLatin1String(names[int(end.at(0).value<End>())]);
    return result;
}

} // namespace

class TestPlaybackSequence : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void reports_data();
    void reports();
    void lostReportsAndRequests();
    void endsThatAreNeverReported();
    void randomReportsEndEachVideoOnce();

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
    QTest::addColumn<QStringList>("ends");
    QTest::addColumn<int>("seeks");
    QTest::addColumn<int>("phase");

    const auto ends = [](const char *names) {
        return QString::fromLatin1(names).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    };
    QTest::newRow("natural end") << "start playing stopped finished" << ends("natural") << 0 << int(Phase::Ended);
    QTest::newRow("the end of the video before") << "start finished playing" << ends("") << 0 << int(Phase::Playing);
    // The video before pausing on its way out is no start of this one.
    QTest::newRow("a pause is no start") << "start paused stopped finished" << ends("") << 0 << int(Phase::Loading);
    QTest::newRow("skip, end reported") << "start playing skip finished" << ends("skipped") << 1 << int(Phase::Ended);
    // A second seek would wait for the back end's streaming thread.
    QTest::newRow("skip sought once") << "start playing skip skip stopped skip finished" << ends("skipped") << 1
                                      << int(Phase::Ended);
    QTest::newRow("skip while loading") << "start paused skip playing finished" << ends("skipped") << 0
                                        << int(Phase::Ended);
    QTest::newRow("error while loading") << "start error playing finished" << ends("failed") << 0 << int(Phase::Ended);
    QTest::newRow("error while playing") << "start playing error finished" << ends("failed") << 0 << int(Phase::Ended);
    QTest::newRow("error while skipping") << "start playing skip error finished" << ends("skipped") << 1
                                          << int(Phase::Ended);
    QTest::newRow("reports repeated") << "start playing playing finished finished skip" << ends("natural") << 0
                                      << int(Phase::Ended);
    QTest::newRow("missing file") << "missing playing finished" << ends("missing") << 0 << int(Phase::Ended);
    // A video given up for another one never ends; the new one does.
    QTest::newRow("started anew") << "start playing start finished playing finished" << ends("natural") << 0
                                  << int(Phase::Ended);
    QTest::newRow("nothing started") << "skip playing finished" << ends("") << 0 << int(Phase::Ended);
}

void TestPlaybackSequence::reports()
{
    QFETCH(QString, script);
    QFETCH(QStringList, ends);
    QFETCH(int, seeks);
    QFETCH(int, phase);

    FakePlayback backend;
    PlaybackSequence sequence(backend, noTimers);
    QSignalSpy endSpy(&sequence, &PlaybackSequence::ended);
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
        else
            backend.report(states.value(step));
        // Each report is taken on its own, as the event loop delivers them.
        QCoreApplication::processEvents();
    }
    QCOMPARE(endNames(endSpy), ends);
    QCOMPARE(backend.count(QStringLiteral("seek")), seeks);
    QCOMPARE(int(sequence.current().phase), phase);
    if (ends.value(0) == QLatin1String("failed"))
        QCOMPARE(endSpy.at(0).at(1).toString(), QStringLiteral("codec missing"));
}

void TestPlaybackSequence::lostReportsAndRequests()
{
    // A back end that plays without saying so is seen playing; one that
    // loses every play request is asked a few times, then the video fails.
    FakePlayback backend;
    PlaybackSequence sequence(backend, quickTimers);
    QSignalSpy endSpy(&sequence, &PlaybackSequence::ended);
    QSignalSpy playing(&sequence, &PlaybackSequence::playing);
    sequence.start(m_video);
    backend.setStateSilently(Phonon::PlayingState);
    QTRY_COMPARE(sequence.current().phase, Phase::Playing);
    QCOMPARE(playing.count(), 1);

    sequence.start(m_video);
    backend.report(Phonon::PausedState);
    backend.report(Phonon::StoppedState);
    QTRY_COMPARE_WITH_TIMEOUT(endNames(endSpy), QStringList{QStringLiteral("unplayable")},
                              quickTimers.startTimeoutMs * 4);
    QCOMPARE(backend.count(QStringLiteral("play")), PlaybackSequence::maxPlayRepeats);
    QCOMPARE(backend.m_commands.last(), QStringLiteral("stop"));
}

void TestPlaybackSequence::endsThatAreNeverReported()
{
    // The back end may stay on the last frame after a seek to the end, or
    // stop without reporting the end: each video still ends, once.
    FakePlayback backend;
    PlaybackSequence sequence(backend, quickTimers);
    QSignalSpy endSpy(&sequence, &PlaybackSequence::ended);
    sequence.start(m_video);
    backend.report(Phonon::PlayingState);
    sequence.skip();
    QTRY_COMPARE(endNames(endSpy), QStringList{QStringLiteral("skipped")});
    QCOMPARE(backend.m_commands.last(), QStringLiteral("stop"));

    sequence.start(m_video);
    backend.report(Phonon::PlayingState);
    backend.report(Phonon::StoppedState);
    QTRY_COMPARE(endSpy.count(), 2);
    QCOMPARE(endNames(endSpy).last(), QStringLiteral("natural"));
    backend.reportFinished();
    QTest::qWait(quickTimers.skipEndDelayMs * 2);
    QCOMPARE(endSpy.count(), 2);
}

void TestPlaybackSequence::randomReportsEndEachVideoOnce()
{
    // Whatever the back end reports, in whatever order, and however often
    // the operator skips: each video ends at most once, and only while it
    // is the current one; it is sought to its end at most once; and once it
    // has ended the back end hears nothing more about it.
    const Phonon::State states[] = {Phonon::LoadingState, Phonon::StoppedState, Phonon::PlayingState,
                                    Phonon::BufferingState, Phonon::PausedState, Phonon::ErrorState};
    QRandomGenerator random(20261208);
    for (int run = 0; run < 300; ++run) {
        FakePlayback backend;
        PlaybackSequence sequence(backend, noTimers);
        QVector<int> endedNumbers;
        connect(&sequence, &PlaybackSequence::ended, &sequence,
                [&] { endedNumbers << sequence.current().number; });
        int commandsAtEnd = -1;
        int seeksOfVideo = 0;
        for (int step = 0; step < 40; ++step) {
            const int event = random.bounded(10);
            if (event == 0) {
                sequence.start(m_video);
                commandsAtEnd = -1;
                seeksOfVideo = backend.count(QStringLiteral("seek"));
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
            QVERIFY(backend.count(QStringLiteral("seek")) - seeksOfVideo <= 1);
        }
        QCoreApplication::processEvents();
        QCOMPARE(QSet<int>(endedNumbers.begin(), endedNumbers.end()).size(), endedNumbers.size());
        if (sequence.current().phase == Phase::Ended && sequence.current().number > 0)
            QCOMPARE(endedNumbers.value(endedNumbers.size() - 1), sequence.current().number);
    }
}

QTEST_GUILESS_MAIN(TestPlaybackSequence)
#include "tst_launcher_playback.moc"
