#pragma once

#include <QObject>
#include <QString>

#include <phonon/phononnamespace.h>

// What the intro sequence needs of a media back end. Every command returns
// at once: the back end carries it out in threads of its own and reports
// through the signals, which may come late, twice, out of order or never.
class PlaybackBackend : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Hands over a local file and asks it to play.
    virtual void playFile(const QString &absolutePath) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    // Moves to the end of the current file, as far as its length is known.
    virtual void seekToEnd() = 0;
    virtual Phonon::State state() const = 0;
    virtual bool hasVideo() const = 0;
    virtual QString errorString() const = 0;

signals:
    void stateChanged(Phonon::State newState, Phonon::State oldState);
    // The current file has played to its end.
    void finished();
};
