#pragma once

#include "KeyStateSource.h"
#include "PhysicalKeyMap.h"
#include "VirtualKeys.h"

#include <QObject>

#include <memory>

class QKeyEvent;
class QTimer;

// The console's view of the PC keyboard: an application-wide event filter
// that watches every key event the console receives, whichever window has
// the focus, and keeps the keys the operator pressed for the keypads.
//
// A key counts as held only when its press was meant for the keypads: a
// press that goes to a menu, a popup, a modal dialog or a message box, to
// the menu bar, a text field or a window that keeps its keys (the floor
// overview), or that a shortcut takes before any window sees it, leaves the
// key out until it has been released and pressed again.
// A key held before a menu or dialog opened stays held, and lets go when it
// is released there.
//
// Keys that move between windows (Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+F6,
// Ctrl+F4) are the console's own, whatever order Ctrl and the other key go
// down and up in: such a press is never for the keypads, and a Tab, F6 or
// F4 already held lets go when Ctrl goes down, before its repeat switches
// windows.
//
// Auto-repeat never looks like a release and a new press. Where the display
// server's physical key map can be read, a held key lets go only when the
// key map shows it up; key events alone are not trusted for that, since the
// window system does not always mark the release of a repeat. Elsewhere a
// release takes effect at the next pass unless a repeated press of the same
// key comes first; and a press carrying the very time stamp of the key's
// last release is the repeat of a hold, never a new press. A release that
// carries a time stamp waits kReleaseSettleMs for the press of a repeat
// before it lets go, since the window system may hand over the release and
// the repeat's press in two batches.
//
// A key is matched to its release by the keyboard's scan code, so a key
// pressed with Shift and released without it, or one of two Shift keys, is
// let go correctly.
//
// Releases that happen while another application is active never reach the
// console, so when the console loses activation every key counts as let go.
// A key still held when the operator comes back is seen again at its next
// press; until then the controller is told it is up, never stuck down.
class CKeyEventFilter : public QObject, public CKeyStateSource
{
    Q_OBJECT
    Q_DISABLE_COPY(CKeyEventFilter)

public:
    // Installs itself on the application; removed when destroyed. Reads the
    // physical key map of the display where there is one.
    explicit CKeyEventFilter(QObject *parent = nullptr);
    // As above with a given key map, or none (key events alone).
    explicit CKeyEventFilter(std::unique_ptr<CPhysicalKeyMap> keyMap, QObject *parent = nullptr);
    ~CKeyEventFilter() override;

    bool HasFocusWindow() const override;
    void BeginPass() override;
    bool IsKeyHeld(int virtualKey) const override;
    bool TakeKeyHeldOrPressed(int virtualKey) override;
    bool WasPressedSinceTake(int virtualKey) const override;

    // How long a release waits for the press of an auto-repeat where the
    // key map does not tell (X repeats come as a release and a press with
    // one time stamp, together).
    static constexpr int kReleaseSettleMs = 50;

    // Lets go of every key, as when the console loses activation.
    void ReleaseAllKeys();

signals:
    // A release has settled: the keys held have changed with no key event.
    void KeysChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Whether a key pressed now, delivered to the receiver, is meant for the
    // keypads: not while a menu, a popup or a modal dialog has the keyboard,
    // nor into the menu bar, a text field or a window of the console that
    // keeps its keys (LocalKeys.h).
    virtual bool PressIsForKeypads(QObject *receiver) const;

private:
    void OnKeyPress(const QKeyEvent &event, QObject *receiver);
    void OnKeyRelease(const QKeyEvent &event);
    int FindHeld(quint32 scanCode, int virtualKey) const;
    void LoseWindowNavigationKeys();
    void DropReleasedKeys();
    // One line for a press left out, however many widgets it travels through.
    void LogWithheldPress(const QKeyEvent &event, int virtualKey, QObject *receiver);

    // A key pressed for the keypads, by the scan code it was pressed with
    // (0 when the event came without one); two physical keys may hold the
    // same virtual key.
    struct HeldKey
    {
        quint32 scanCode;
        int virtualKey;
        bool releaseSeen; // a release came; settled at the next pass
        bool lost;        // pressed again for something else: let go
        qint64 releasedAtMs; // when a release that may be a repeat's came, or -1
    };
    bool IsDown(const HeldKey &key) const;

    static constexpr int kMaxHeldKeys = 32;
    // Scan codes whose last release time is kept (X key codes fit).
    static constexpr quint32 kTimedScanCodes = 256;

    std::unique_ptr<CPhysicalKeyMap> m_keyMap;
    bool m_keyMapRead = false; // the key map answered at the start of this pass
    qint64 m_passTimeMs = 0;   // the clock at the start of this pass
    QTimer *m_settleTimer;
    HeldKey m_held[kMaxHeldKeys] = {};
    int m_heldCount = 0;
    bool m_pressedSinceTake[kVirtualKeyCount] = {};
    ulong m_releaseTime[kTimedScanCodes] = {};
    const QKeyEvent *m_lastWithheld = nullptr;
};
