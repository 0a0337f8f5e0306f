#pragma once

#include "KeyStateSource.h"
#include "VirtualKeys.h"

#include <QObject>

class QKeyEvent;

// The console's view of the PC keyboard: an application-wide event filter
// that watches every key event the console receives, whichever window has
// the focus, and keeps for each virtual key whether it is held.
//
// Auto-repeat does not disturb the held state: repeated presses and the
// releases that the window system inserts between them are skipped. A key is
// matched to its release by the keyboard's scan code, so a key pressed with
// Shift and released without it, or one of two Shift keys, is let go
// correctly.
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
    // Installs itself on the application; removed when destroyed.
    explicit CKeyEventFilter(QObject *parent = nullptr);
    ~CKeyEventFilter() override;

    bool HasFocusWindow() const override;
    bool IsKeyHeld(int virtualKey) const override;
    bool TakeKeyHeldOrPressed(int virtualKey) override;

    // Lets go of every key, as when the console loses activation.
    void ReleaseAllKeys();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OnKeyPress(const QKeyEvent &event);
    void OnKeyRelease(const QKeyEvent &event);

    // Keys held now, each by the scan code it was pressed with (0 when the
    // event came without one); two physical keys may hold the same virtual key.
    struct HeldKey
    {
        quint32 scanCode;
        int virtualKey;
    };
    static constexpr int kMaxHeldKeys = 32;
    HeldKey m_held[kMaxHeldKeys] = {};
    int m_heldCount = 0;
    quint8 m_holders[kVirtualKeyCount] = {};
    bool m_pressedSinceTake[kVirtualKeyCount] = {};
};
