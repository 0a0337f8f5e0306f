#include "FakePlayback.h"

void FakePlayback::playFile(const QString &absolutePath)
{
    m_file = absolutePath;
    record(QStringLiteral("playFile"));
}

void FakePlayback::report(Phonon::State state)
{
    const Phonon::State old = m_state;
    m_state = state;
    emit stateChanged(state, old);
}

void FakePlayback::reportFinished()
{
    emit finished();
}
