#include "PhononPlayback.h"

#include <QUrl>

#include <phonon/MediaObject>

namespace {
// Long enough that the position tick never comes during a video: nothing in
// the launcher shows the position.
constexpr qint32 noTickMs = 24 * 60 * 60 * 1000;
} // namespace

PhononPlayback::PhononPlayback(Phonon::MediaObject &mediaObject, QObject *parent)
    : PlaybackBackend(parent)
    , m_mediaObject(mediaObject)
{
    m_mediaObject.setTickInterval(noTickMs);
    connect(&m_mediaObject, &Phonon::MediaObject::stateChanged, this, &PlaybackBackend::stateChanged);
    connect(&m_mediaObject, &Phonon::MediaObject::finished, this, &PlaybackBackend::finished);
    connect(&m_mediaObject, &Phonon::MediaObject::totalTimeChanged, this,
            [this](qint64 totalTime) { m_totalTime = totalTime; });
}

void PhononPlayback::playFile(const QString &absolutePath)
{
    m_totalTime = -1;
    m_mediaObject.setCurrentSource(Phonon::MediaSource(QUrl::fromLocalFile(absolutePath)));
    m_mediaObject.play();
}

void PhononPlayback::play()
{
    m_mediaObject.play();
}

void PhononPlayback::pause()
{
    m_mediaObject.pause();
}

void PhononPlayback::stop()
{
    m_mediaObject.stop();
}

void PhononPlayback::seekToEnd()
{
    // The media object keeps the length the back end last reported; asking
    // it costs no query of the pipeline.
    const qint64 total = m_totalTime > 0 ? m_totalTime : m_mediaObject.totalTime();
    if (total > 0)
        m_mediaObject.seek(total);
}

Phonon::State PhononPlayback::state() const
{
    return m_mediaObject.state();
}

bool PhononPlayback::hasVideo() const
{
    return m_mediaObject.hasVideo();
}

QString PhononPlayback::errorString() const
{
    return m_mediaObject.errorString();
}
