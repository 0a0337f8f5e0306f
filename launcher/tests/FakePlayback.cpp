#include "FakePlayback.h"

void FakePlayback::playFile(const QString &absolutePath)
{
    m_file = absolutePath;
    m_commands << QStringLiteral("playFile");
}

void FakePlayback::report(Phonon::State state)
{
    const Phonon::State old = m_state;
    m_state = state;
    emit stateChanged(state, old);
}
