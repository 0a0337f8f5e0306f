#include "ScreenFaults.h"

#include "PanelFormat.h"

namespace {

bool Due(int after, int blocksSent)
{
    return after >= 0 && blocksSent >= after;
}

} // namespace

ScreenFaults::ScreenFaults(const FaultSettings &settings, quint32 seed)
    : m_settings(settings), m_random(seed)
{
}

ScreenFaults::Action ScreenFaults::Next(int blocksSent)
{
    if (!m_invalidKindDone && Due(m_settings.invalidKindAfter, blocksSent)) {
        m_invalidKindDone = true;
        return Action::InvalidKind;
    }
    if (!m_badLineDone && Due(m_settings.badLineAfter, blocksSent)) {
        m_badLineDone = true;
        return Action::BadLine;
    }
    if (Due(m_settings.closeAfter, blocksSent))
        return Action::Close;
    if (Due(m_settings.resetAfter, blocksSent))
        return Action::Reset;
    if (Due(m_settings.halfCloseAfter, blocksSent))
        return Action::HalfClose;
    if (Due(m_settings.stallAfter, blocksSent))
        return Action::Stall;
    return Action::None;
}

quint8 ScreenFaults::InvalidKindByte()
{
    return quint8(kHighestKind + 1 + int(m_random.bounded(255u - kHighestKind)));
}
