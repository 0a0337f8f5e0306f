#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <phonon/phononnamespace.h>

class PlaybackBackend;

// Plays one video after another on a media back end and decides, for each,
// when it has started and when it has ended, whatever the back end reports:
// a busy GStreamer back end can lose a play request, report the pause of
// the video before as if it were the new one's, or never report the end of
// a video sought to its end. Every video ends exactly once.
//
// One record describes the current video; its phase changes only as the
// table below says. "Stopped", "paused" and so on are the back end's state
// reports; "nudge" is a tick every playNudgeMs while loading; "deadline" is
// the one time limit of the phase (startTimeoutMs while loading,
// skipEndDelayMs after a stop or a skip).
//
//   phase     event                action                                  next
//   --------  -------------------  --------------------------------------  --------
//   (any)     start(file)          file missing: stop, end as Missing      Ended
//                                  else hand the file over and play        Loading
//   Loading   playing              report playing                          Playing
//   Loading   stopped, paused,     nothing: the back end passes through    Loading
//             buffering, loading   them while it loads, and the video
//                                  before may still be winding down
//   Loading   finished             nothing: the end of the video before    Loading
//   Loading   nudge                back end plays: its report was lost,    Playing
//                                  report playing
//                                  back end stopped or paused: its play    Loading
//                                  request was lost, ask again (at most
//                                  maxPlayRepeats times)
//   Loading   deadline             back end plays: as for nudge            Playing
//                                  else stop, end as Unplayable            Ended
//   Loading   skip                 stop, end as Skipped                    Ended
//   Loading   error                pause, end as Failed                    Ended
//   Playing   finished             end as Natural                          Ended
//   Playing   stopped              report stopped, arm the deadline        Playing
//   Playing   deadline             back end still stopped: its end was     Ended
//                                  lost, end as Natural
//   Playing   skip                 seek to the end, arm the deadline       Skipping
//   Playing   error                pause, end as Failed                    Ended
//   Skipping  finished             end as Skipped                          Ended
//   Skipping  stopped              report stopped                          Skipping
//   Skipping  deadline             stop, end as Skipped                    Ended
//   Skipping  skip                 nothing: a second seek would wait for   Skipping
//                                  the back end's streaming thread
//   Skipping  error                stop, end as Skipped                    Ended
//   Ended     any                  nothing                                 Ended
//
// Events not in the table change nothing. The end is reported through
// ended() from the event loop, never from inside a back-end report, and only
// while the video it belongs to is still the current one; so the receiver
// may show a message box or start the next video from it.
class PlaybackSequence : public QObject
{
    Q_OBJECT

public:
    enum class Phase { Loading, Playing, Skipping, Ended };
    Q_ENUM(Phase)
    enum class End { Natural, Skipped, Missing, Unplayable, Failed };
    Q_ENUM(End)

    struct Video
    {
        int number = 0; // 1 for the first video started, counting up
        QString file;   // as given to start()
        Phase phase = Phase::Ended;
        int playRepeats = 0;
    };

    struct Timing
    {
        int startTimeoutMs = 5000; // how long a video may take to start playing
        int playNudgeMs = 1000;    // how often a loading video is looked at again
        int skipEndDelayMs = 300;  // how long an end may take to be reported
    };

    static constexpr int maxPlayRepeats = 3;

    PlaybackSequence(PlaybackBackend &backend, Timing timing, QObject *parent = nullptr);

    // Plays a local file from its beginning; the current video, if any, is
    // given up without an end.
    void start(const QString &file);
    void skip();

    const Video &current() const { return m_video; }
    const Timing &timing() const { return m_timing; }

signals:
    // The current video shows its first frames.
    void playing();
    // The back end stopped the current video after it had played.
    void stoppedAfterPlaying();
    // The current video has ended; message is the back end's error text for
    // a failure, otherwise empty.
    void ended(PlaybackSequence::End end, const QString &message);

private:
    void onStateChanged(Phonon::State newState, Phonon::State oldState);
    void onFinished();
    void onNudge();
    void onDeadline();
    void enterPlaying();
    void endVideo(End end, const QString &message = QString());
    // One line for each event the current video went through.
    void logStep(const char *event, Phase before) const;

    PlaybackBackend &m_backend;
    Timing m_timing;
    Video m_video;
    int m_startCount = 0;
    QTimer m_nudge;
    QTimer m_deadline;

    Q_DISABLE_COPY(PlaybackSequence)
};
