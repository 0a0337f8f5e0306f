#pragma once

#include <QtGlobal>

// Where a keyboard window learns the state of the operator's PC keyboard.
// Keys are named by their virtual-key codes (VirtualKeys.h).
class CKeyStateSource
{
public:
    virtual ~CKeyStateSource() = default;

    // False while another application is active: no console window has the
    // keyboard focus, and the keyboards neither read keys nor send.
    virtual bool HasFocusWindow() const = 0;
    // Called once at the start of every keypad pass, before any key is
    // read, so the source can bring its state up to date for the pass.
    virtual void BeginPass() {}
    // The PC key is held down now.
    virtual bool IsKeyHeld(int virtualKey) const = 0;
    // The PC key is held now or was pressed since the previous call for it;
    // the call forgets that earlier press. SPACE is read this way so that a
    // tap shorter than one pass still reaches the controller.
    virtual bool TakeKeyHeldOrPressed(int virtualKey) = 0;
    // The PC key was pressed anew since the previous TakeKeyHeldOrPressed
    // for it (a repeat of a hold is no new press); does not forget it.
    virtual bool WasPressedSinceTake(int virtualKey) const
    {
        Q_UNUSED(virtualKey)
        return false;
    }
};
