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
    void playFile(const QString &absolutePath) override;
    void play() override { m_commands << QStringLiteral("play"); }
    void pause() override { m_commands << QStringLiteral("pause"); }
    void stop() override { m_commands << QStringLiteral("stop"); }
    void seekToEnd() override { m_commands << QStringLiteral("seek"); }
    Phonon::State state() const override { return m_state; }
    bool hasVideo() const override { return true; }
    QString errorString() const override { return QStringLiteral("codec missing"); }

    // Moves to a state and says so, or, as when a report is lost, silently.
    void report(Phonon::State state);
    void setStateSilently(Phonon::State state) { m_state = state; }
    void reportFinished() { emit finished(); }
    int count(const QString &command) const { return m_commands.count(command); }

    QStringList m_commands;
    QString m_file;

private:
    Phonon::State m_state = Phonon::LoadingState;
};
