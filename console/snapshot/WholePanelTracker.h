#pragma once

#include "ScreenBlockParser.h"

#include <bitset>

// Tells when a whole panel has arrived since a moment of the stream (the
// refresh request): every band 0-15 of a monochrome panel or every line
// 0-239 of a colour panel, in the format of the last block. A change between
// monochrome and colour starts the count again, because the new format's
// rows overwrite the old ones. Raw and run-length lines are both colour and
// fill the same rows, so they count together.
class WholePanelTracker : public ScreenBlockObserver
{
public:
    // Forgets every band and line seen and any rejected block.
    void Restart();

    bool IsWhole() const;
    // A block was rejected since the restart (the stream was invalid).
    bool SawRejectedBlock() const { return m_rejected; }
    // Bands or lines of the current format still missing.
    int MissingCount() const;

    void OnBlockDecoded(int kind, int number) override;
    void OnStreamRejected() override;

private:
    enum class Family { None, Monochrome, Colour };

    static constexpr int kShownBands = 16;
    static constexpr int kColourLines = 240;

    Family m_family = Family::None;
    std::bitset<kColourLines> m_seen;
    bool m_rejected = false;
};
