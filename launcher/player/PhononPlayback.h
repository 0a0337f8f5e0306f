#pragma once

#include "PlaybackBackend.h"

namespace Phonon {
class MediaObject;
}

// The intro sequence's back end over the player's Phonon media object. None
// of its calls asks the back end's pipeline anything while it plays: the
// length comes from the media object's own report, and the position ticks,
// which would query the pipeline from this thread many times a second, are
// turned off.
class PhononPlayback : public PlaybackBackend
{
    Q_OBJECT

public:
    explicit PhononPlayback(Phonon::MediaObject &mediaObject, QObject *parent = nullptr);

    void playFile(const QString &absolutePath) override;
    void play() override;
    void pause() override;
    void stop() override;
    void seekToEnd() override;
    Phonon::State state() const override;
    bool hasVideo() const override;
    QString errorString() const override;

private:
    Phonon::MediaObject &m_mediaObject;
    qint64 m_totalTime = -1;

    Q_DISABLE_COPY(PhononPlayback)
};
