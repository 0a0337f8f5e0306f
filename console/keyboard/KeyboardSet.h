#pragma once

#include "KeyboardLayout.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

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
// While the keypads exist, the idle steps run every time the event queue is
// empty: they destroy the keypads when no screen window is left or none of
// them is visible, and otherwise poll the visible one. While they do not
// exist nothing runs, so an idle console costs no processor time.
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
    // One run of the idle steps; the idle timer calls it.
    void RunIdleSteps();
    // Counts every PC key as let go, as when the console loses activation;
    // keys typed into one of the console's own dialogs end there.
    void ForgetPcKeys();

protected:
    // Makes the keypad of one layout; tests return recording keypads.
    virtual CKeyboardDlg *NewKeyboard(int layout);
    QWidget *MainFrame() const { return m_mainFrame; }

private:
    CKeyEventFilter *m_keyFilter;
    QPointer<QWidget> m_mainFrame;
    ScreenWindowProbe m_screenWindows;
    CKeyboardDlg *m_keyboards[kKeyboardLayoutCount] = {};
    QTimer m_idleTimer;
    // Set while the idle steps run. A send inside them may open a message
    // box whose event loop fires the idle timer again; those runs are
    // skipped, so failing sends cannot stack boxes without end.
    bool m_inIdleSteps = false;
    // Keypads destroyed while the idle steps were running, deleted after.
    std::vector<CKeyboardDlg *> m_retired;
};
