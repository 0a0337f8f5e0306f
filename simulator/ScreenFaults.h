#pragma once

#include <QRandomGenerator>

// The faults a screen connection is told to commit, each after a number of
// good blocks; -1 leaves a fault out. A count of 0 commits the fault before
// the first block.
struct FaultSettings
{
    int invalidKindAfter = -1;
    int badLineAfter = -1;
    int closeAfter = -1;
    int resetAfter = -1;
    int halfCloseAfter = -1;
    int stallAfter = -1;
};

// Decides, before each block of one connection, which fault is due. The byte
// and block faults fire once; closing, resetting, half-closing and stalling
// end the sending for good.
// Faults due at the same count come in the order of the enum.
class ScreenFaults
{
public:
    enum class Action { None, InvalidKind, BadLine, Close, Reset, HalfClose, Stall };

    ScreenFaults(const FaultSettings &settings, quint32 seed);

    // The next fault due after `blocksSent` good blocks; call again until None.
    Action Next(int blocksSent);
    // A kind byte no console accepts: 9 to 255.
    quint8 InvalidKindByte();

private:
    FaultSettings m_settings;
    bool m_invalidKindDone = false;
    bool m_badLineDone = false;
    QRandomGenerator m_random;
};
