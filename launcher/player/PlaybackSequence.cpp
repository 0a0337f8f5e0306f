#include "PlaybackSequence.h"

#include "PlaybackBackend.h"
#include "PlayerLog.h"

#include <QFileInfo>
#include <QMetaEnum>

namespace {

const char *StateName(Phonon::State state)
{
    switch (state) {
    case Phonon::LoadingState:
        return "loading";
    case Phonon::StoppedState:
        return "stopped";
    case Phonon::PlayingState:
        return "playing";
    case Phonon::BufferingState:
        return "buffering";
    case Phonon::PausedState:
        return "paused";
    case Phonon::ErrorState:
        return "error";
    }
    return "unknown";
}

template <typename Enum>
const char *Name(Enum value)
{
    return QMetaEnum::fromType<Enum>().valueToKey(int(value));
}

} // namespace

PlaybackSequence::PlaybackSequence(PlaybackBackend &backend, Timing timing, QObject *parent)
    : QObject(parent)
    , m_backend(backend)
    , m_timing(timing)
{
    m_nudge.setInterval(m_timing.playNudgeMs);
    connect(&m_nudge, &QTimer::timeout, this, &PlaybackSequence::onNudge);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &PlaybackSequence::onDeadline);
    connect(&m_backend, &PlaybackBackend::stateChanged, this, &PlaybackSequence::onStateChanged);
    connect(&m_backend, &PlaybackBackend::finished, this, &PlaybackSequence::onFinished);
}

void PlaybackSequence::start(const QString &file)
{
    const Phase before = m_video.phase;
    m_nudge.stop();
    m_deadline.stop();
    m_video = Video();
    m_video.number = ++m_startCount;
    m_video.file = file;
    m_video.phase = Phase::Loading;
    qCDebug(lcPlayer) << "video" << m_video.number << "is" << file;

    const QFileInfo info(file);
    if (!info.isFile() || !info.isReadable()) {
        // The back end would stop silently on a missing file.
        m_backend.stop();
        endVideo(End::Missing);
        logStep("start", before);
        return;
    }
    m_backend.playFile(info.absoluteFilePath());
    m_nudge.start();
    m_deadline.start(m_timing.startTimeoutMs);
    logStep("start", before);
}

void PlaybackSequence::skip()
{
    const Phase before = m_video.phase;
    switch (m_video.phase) {
    case Phase::Loading:
        m_backend.stop();
        endVideo(End::Skipped);
        break;
    case Phase::Playing:
        m_video.phase = Phase::Skipping;
        m_deadline.start(m_timing.skipEndDelayMs);
        m_backend.seekToEnd();
        break;
    case Phase::Skipping:
    case Phase::Ended:
        break;
    }
    logStep("skip", before);
}

void PlaybackSequence::onStateChanged(Phonon::State newState, Phonon::State)
{
    const Phase before = m_video.phase;
    switch (m_video.phase) {
    case Phase::Loading:
        if (newState == Phonon::PlayingState) {
            enterPlaying();
        } else if (newState == Phonon::ErrorState) {
            m_backend.pause();
            endVideo(End::Failed, m_backend.errorString());
        }
        break;
    case Phase::Playing:
        if (newState == Phonon::StoppedState) {
            m_deadline.start(m_timing.skipEndDelayMs);
            emit stoppedAfterPlaying();
        } else if (newState == Phonon::ErrorState) {
            m_backend.pause();
            endVideo(End::Failed, m_backend.errorString());
        }
        break;
    case Phase::Skipping:
        if (newState == Phonon::StoppedState) {
            emit stoppedAfterPlaying();
        } else if (newState == Phonon::ErrorState) {
            m_backend.stop();
            endVideo(End::Skipped);
        }
        break;
    case Phase::Ended:
        break;
    }
    logStep(StateName(newState), before);
}

void PlaybackSequence::onFinished()
{
    const Phase before = m_video.phase;
    if (m_video.phase == Phase::Playing)
        endVideo(End::Natural);
    else if (m_video.phase == Phase::Skipping)
        endVideo(End::Skipped);
    logStep("finished", before);
}

void PlaybackSequence::onNudge()
{
    if (m_video.phase != Phase::Loading)
        return;
    const Phonon::State state = m_backend.state();
    if (state == Phonon::PlayingState) {
        enterPlaying();
    } else if ((state == Phonon::StoppedState || state == Phonon::PausedState)
               && m_video.playRepeats < maxPlayRepeats) {
        ++m_video.playRepeats;
        qCDebug(lcPlayer) << "video" << m_video.number << "still" << StateName(state) << "- play asked again ("
                          << m_video.playRepeats << "of" << maxPlayRepeats << ")";
        m_backend.play();
    }
    logStep("nudge", Phase::Loading);
}

void PlaybackSequence::onDeadline()
{
    const Phase before = m_video.phase;
    switch (m_video.phase) {
    case Phase::Loading:
        if (m_backend.state() == Phonon::PlayingState) {
            enterPlaying();
        } else {
            m_backend.stop();
            endVideo(End::Unplayable);
        }
        break;
    case Phase::Playing:
        if (m_backend.state() == Phonon::StoppedState)
            endVideo(End::Natural);
        break;
    case Phase::Skipping:
        m_backend.stop();
        endVideo(End::Skipped);
        break;
    case Phase::Ended:
        break;
    }
    logStep("deadline", before);
}

void PlaybackSequence::enterPlaying()
{
    m_nudge.stop();
    m_deadline.stop();
    m_video.phase = Phase::Playing;
    emit playing();
}

void PlaybackSequence::endVideo(End end, const QString &message)
{
    m_nudge.stop();
    m_deadline.stop();
    m_video.phase = Phase::Ended;
    qCDebug(lcPlayer).noquote() << QStringLiteral("video %1 ends: %2 %3")
                                       .arg(m_video.number)
                                       .arg(QLatin1String(Name(end)), message);
    const int number = m_video.number;
    QMetaObject::invokeMethod(this, [this, number, end, message] {
            if (m_video.number == number)
                emit ended(end, message);
        }, Qt::QueuedConnection);
}

void PlaybackSequence::logStep(const char *event, Phase before) const
{
    if (before == m_video.phase)
        qCDebug(lcPlayer, "video %d %s: stays %s", m_video.number, event, Name(before));
    else
        qCDebug(lcPlayer, "video %d %s: %s -> %s", m_video.number, event, Name(before), Name(m_video.phase));
}
