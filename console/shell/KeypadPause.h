#pragma once

#include <QList>
#include <QPointer>

class CKeyboardDlg;
class CKprotChannel;

// Keeps the on-screen keypads from typing on a controller while the console
// shows one of its own menus or dialogs (a context menu, a file dialog, a
// message box): keys the operator types there are meant for the console,
// but the keypads mirror every key the console receives. For the lifetime of
// a pause every keypad is detached from its channel; at the end the PC keys
// seen meanwhile are forgotten and each keypad goes back to its channel, so
// a key pressed in the dialog and released after it never reaches the
// controller either. Pauses nest; only the outermost acts.
//
// A keypad asked for during a pause (a screen window takes the focus back
// when a menu closes, before the chosen command runs its dialog) is shown
// only when the pause ends.
class KeypadPause
{
public:
    KeypadPause();
    ~KeypadPause();
    KeypadPause(const KeypadPause &) = delete;
    KeypadPause &operator=(const KeypadPause &) = delete;

    static bool Active() { return s_depth > 0; }
    // During a pause, keeps the request to show a keypad for a channel for
    // the end of the pause and returns true; otherwise returns false.
    static bool Defer(int layout, CKprotChannel *channel);

private:
    struct Detached
    {
        QPointer<CKeyboardDlg> keypad;
        CKprotChannel *channel;
    };
    QList<Detached> m_detached;
    static int s_depth;
    static bool s_deferred;
    static int s_deferredLayout;
    static CKprotChannel *s_deferredChannel;
};
