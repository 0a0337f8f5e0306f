#pragma once

#include <QtGlobal>

#include <memory>

// The state of the PC keyboard's physical keys as the display server holds
// it, keyed by the native scan codes that key events carry. Unlike the key
// events, it cannot be fooled by auto-repeat: a key the operator holds stays
// down in it, however many repeated presses and releases the window system
// makes of the hold.
class CPhysicalKeyMap
{
public:
    virtual ~CPhysicalKeyMap() = default;

    // Reads the state of every key now; false when the display cannot answer.
    virtual bool Read() = 0;
    // The key was down at the last successful Read.
    virtual bool IsDown(quint32 scanCode) const = 0;
};

// The key map of the display the console runs on, or null where the
// platform offers none (no X server, tests on the offscreen platform).
std::unique_ptr<CPhysicalKeyMap> OpenPhysicalKeyMap();
