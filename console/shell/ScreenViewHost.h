#pragma once

#include <QString>

class CKprotChannel;

// What a screen window needs from the console around it, handed to the
// window when it is created: the operator's answers, the other windows'
// addresses, the timed repaint, and the on-screen keypads. The console
// implements it; a test implements a recorder. This base answers nothing
// and keeps no keypads: a window measured on its own needs no more.
class ScreenViewHost
{
public:
    virtual ~ScreenViewHost() = default;

    // The operator's answers: an address to open (false when cancelled) and
    // where to save a panel picture (empty when cancelled).
    virtual bool AskAddress(QString *) { return false; }
    virtual QString AskImagePath(const QString &) { return QString(); }
    // True when a screen window already talks to this address, spelled the
    // same way.
    virtual bool IsAddressOpen(const QString &) const { return false; }

    // A window's image changed: its timed repaint is due within a second.
    virtual void ArmRefresh() {}

    // The keypads type into the channel of the window in front. Toggling
    // creates them when none exist and destroys them otherwise; a channel
    // whose controller reads another keypad lets go of the keys it holds.
    virtual void ShowKeypad(int, CKprotChannel *) {}
    virtual void HideKeypad(int, CKprotChannel *) {}
    virtual void ToggleKeypads() {}
    virtual void ReleaseKeys(CKprotChannel *) {}
};
