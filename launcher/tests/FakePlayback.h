#pragma once

#include "player/PlaybackBackend.h"

#include <QStringList>

// A media back end under the test's control: commands are only recorded,
// and nothing is reported until the test says so, so a test can lose,
// repeat and reorder the reports a real back end gives.
class FakePlayback : public PlaybackBackend
{
    Q_OBJECT

public:
    using PlaybackBackend::PlaybackBackend;

    void playFile(const QString &absolutePath) override;
    void play() override { record(QStringLiteral("play")); }
    void pause() override { record(QStringLiteral("pause")); }
    void stop() override { record(QStringLiteral("stop")); }
    void seekToEnd() override { record(QStringLiteral("seek")); }
    Phonon::State state() const override { return m_state; }
    bool hasVideo() const override { return true; }
    QString errorString() const override { return QStringLiteral("codec missing"); }

    // Moves to a state and says so.
    void report(Phonon::State state);
    // Moves to a state without saying so, as when a report is lost.
    void setStateSilently(Phonon::State state) { m_state = state; }
    void reportFinished();
    int count(const QString &command) const { return m_commands.count(command); }

    QStringList m_commands;
    QString m_file;

private:
    void record(const QString &command) { m_commands << command; }

    Phonon::State m_state = Phonon::LoadingState;
};
