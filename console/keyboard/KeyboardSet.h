#pragma once

#include "KeyboardLayout.h"

#include <QObject>
#include <QPointer>

#include <functional>
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
class CKeyboardSet : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(CKeyboardSet)

public:
    // True while the console has at least one screen window.
    using ScreenWindowProbe = std::function<bool()>;

    explicit CKeyboardSet(QObject *parent = nullptr);
    ~CKeyboardSet() override;

    void SetMainFrame(QWidget *mainFrame);
    void SetScreenWindowProbe(ScreenWindowProbe probe);

    // Creates the three keypads, hidden, when none exist.
    void CreateKeyboards();
    // Destroys the three keypads when they exist. No break messages are sent
    // for keys down at that moment.
    void DestroyKeyboards();
    bool KeyboardsExist() const;
    // Shows the layout's keypad attached to the channel and hides the
    // others; does nothing while the keypads do not exist.
    void ShowKeyboard(int layout, CKprotChannel *channel);
    // Detaches the layout's keypad from the channel and hides it.
    void HideKeyboard(int layout, CKprotChannel *channel);
    // Places the three keypads against the main frame again.
    void RepositionKeyboards();

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
    // Counts every PC key as let go, as when the console loses activation;
    // keys typed into one of the console's own dialogs end there.
    void ForgetPcKeys();

protected:
    // Watches the whole application for what may change a pass.
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Makes the keypad of one layout; tests return recording keypads.
    virtual CKeyboardDlg *NewKeyboard(int layout);
    QWidget *MainFrame() const { return m_mainFrame; }

private:
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
