#pragma once

#include "KeyLedger.h"
#include "KeyboardLayout.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class CKeyboardDlg;
class CKeyEventFilter;
class CKeyStateSource;
class CKprotChannel;
class QWidget;

// The console's three on-screen keypads, one per layout, created and
// destroyed together. The application object owns one CKeyboardSet and
// forwards its keyboard operations to it:
//
//   "Tastiera" command:      KeyboardsExist() ? DestroyKeyboards() : CreateKeyboards();
//                            then ShowKeyboard(view layout, view channel)
//   screen view focus-in:    ShowKeyboard(view layout, view channel)
//   screen view destroyed
//   with its channel open:   HideKeyboard(view layout, view channel), then close it
//   main frame resized:      RepositionKeyboards()
//   "Tastiera" check mark:   KeyboardsExist()
//
// Set once at start: SetMainFrame (the keypads are placed against it) and
// SetScreenWindowProbe (tells whether any screen window is still open).
//
// While the keypads exist, the idle steps run at the next turn of the event
// loop after anything a pass reads may have changed: a key pressed or
// released, a mouse button on a keypad key, a latch toggled, a console
// window activated or deactivated, a window shown or hidden (a keypad, a
// menu, a dialog), a keypad attached, a screen window gone; and again after
// a pass that changed something, until one has nothing left to do. They
// destroy the keypads when no screen window is left or none of them is
// visible, and otherwise poll the visible one. Requests made before the
// steps run make one run, so an idle console costs no processor time,
// keypad shown or not.
//
// Menus, popups and modal dialogs own the keyboard: while one of them is
// open the steps do not run, except inside a channel's blocking wait, whose
// nested event loop keeps them running. They run again when it closes.
//
// No key is left down on a controller. Every key message goes through one
// key ledger, which sends each break to the controller that got the make.
// Whenever the console stops following the keyboard for a controller, every
// key down on it is let go at once, and keys still held then are left out
// until they are pressed again:
//   - the keypad is shown for another screen window or another layout;
//   - a menu or popup opens, a modal dialog or message box shows, or a
//     window of the console other than the main frame and the keypads (the
//     floor overview) becomes the active one;
//   - the console loses activation;
//   - the keypads are switched off;
//   - a screen window ends, or its controller announces another layout
//     (ReleaseChannel).
class CKeyboardSet : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(CKeyboardSet)

public:
    // True while the console has at least one screen window.
    using ScreenWindowProbe = std::function<bool()>;

    // Key messages go through the ledger given, or one that writes them to
    // the channels.
    explicit CKeyboardSet(QObject *parent = nullptr, std::unique_ptr<CKeyLedger> ledger = nullptr);
    ~CKeyboardSet() override;

    void SetMainFrame(QWidget *mainFrame);
    void SetScreenWindowProbe(ScreenWindowProbe probe);

    // Creates the three keypads, hidden, when none exist.
    void CreateKeyboards();
    // Destroys the three keypads when they exist, after letting go of every
    // key they hold down on a controller.
    void DestroyKeyboards();
    bool KeyboardsExist() const;
    // Shows the layout's keypad attached to the channel and hides the
    // others; does nothing while the keypads do not exist.
    void ShowKeyboard(int layout, CKprotChannel *channel);
    // Detaches the layout's keypad from the channel and hides it.
    void HideKeyboard(int layout, CKprotChannel *channel);
    // Places the three keypads against the main frame again.
    void RepositionKeyboards();

    // The keypads stop typing into any controller: breaks for every key
    // down, keys still held are left out until pressed again.
    void StopFollowingKeyboard();
    // The same for one controller only (its window ends, its layout changed).
    void ReleaseChannel(CKprotChannel *channel);
    CKeyLedger *KeyLedger() const { return m_ledger.get(); }

    // The keypad of a layout, or null while the keypads do not exist.
    CKeyboardDlg *Keyboard(int layout) const;
    // Asks for one run of the idle steps at the next turn of the event loop;
    // any number of requests before then make one run.
    void ScheduleIdleSteps();
    // One run of the idle steps now.
    void RunIdleSteps();
    // True while no menu, popup or modal dialog has the keyboard, or while a
    // channel waits in a blocking call.
    static bool IdleStepsAllowed();
    // The PC key state the keypads read.
    CKeyStateSource *KeyState() const;

protected:
    // Watches the whole application for what may change a pass.
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Makes the keypad of one layout; tests return recording keypads.
    virtual CKeyboardDlg *NewKeyboard(int layout);
    QWidget *MainFrame() const { return m_mainFrame; }

private:
    bool IsKeypad(const QObject *object) const;
    // Asks for StopFollowingKeyboard at the next turn of the event loop, also
    // inside the event loop of the menu or box that is opening.
    void PostStopFollowing(const char *why);

    std::unique_ptr<CKeyLedger> m_ledger;
    bool m_stopPosted = false;
    CKeyEventFilter *m_keyFilter;
    QPointer<QWidget> m_mainFrame;
    ScreenWindowProbe m_screenWindows;
    CKeyboardDlg *m_keyboards[kKeyboardLayoutCount] = {};
    bool m_idleStepsPosted = false;
    // Set while the idle steps run. A send inside them runs a nested event
    // loop (its blocking wait, or the message box of a failure) in which
    // the steps may be asked for again; such a run is put off until the
    // running one ends, so failing sends cannot stack boxes without end.
    bool m_inIdleSteps = false;
    bool m_runAgain = false;
    // Keypads destroyed while the idle steps were running, deleted after.
    std::vector<CKeyboardDlg *> m_retired;
};
