#include "WholePanelTracker.h"

void WholePanelTracker::Restart()
{
    m_family = Family::None;
    m_seen.reset();
    m_rejected = false;
}

int WholePanelTracker::MissingCount() const
{
    switch (m_family) {
    case Family::None:
        return kShownBands;
    case Family::Monochrome: {
        int missing = 0;
        for (int band = 0; band < kShownBands; ++band)
            missing += m_seen.test(std::size_t(band)) ? 0 : 1;
        return missing;
    }
    case Family::Colour:
        return kColourLines - int(m_seen.count());
    }
    return kShownBands;
}

bool WholePanelTracker::IsWhole() const
{
    return m_family != Family::None && MissingCount() == 0;
}

void WholePanelTracker::OnBlockDecoded(int kind, int number)
{
    const Family family = kind % 3 == 0 ? Family::Monochrome : Family::Colour;
    if (family != m_family) {
        m_family = family;
        m_seen.reset();
    }
    // Band 16 holds rows that are never shown; it completes nothing.
    if (number >= 0 && number < kColourLines)
        m_seen.set(std::size_t(number));
}

void WholePanelTracker::OnStreamRejected()
{
    m_rejected = true;
}
