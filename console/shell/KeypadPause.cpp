#include "KeypadPause.h"

#include "BrenlowApp.h"
#include "BrenlowView.h"
#include "ChildFrame.h"
#include "KeyboardDlg.h"
#include "KeyboardSet.h"

int KeypadPause::s_depth = 0;

namespace {

CKeyboardSet *Keypads()
{
    CBrenlowApp *app = CBrenlowApp::Instance();
    return app && app->KeyboardsExist() ? app->Keyboards() : nullptr;
}

// A channel is still worth typing into only while its screen window lives;
// the window may have closed while the dialog was up.
bool ChannelStillOpen(CKprotChannel *channel)
{
    CBrenlowApp *app = CBrenlowApp::Instance();
    if (!app || !channel)
        return false;
    const QList<CChildFrame *> frames = app->ScreenWindows();
    for (CChildFrame *frame : frames) {
        if (frame->GetView() && frame->GetView()->GetChannel() == channel)
            return true;
    }
    return false;
}

} // namespace

KeypadPause::KeypadPause()
{
    if (s_depth++ > 0)
        return;
    CKeyboardSet *keypads = Keypads();
    if (!keypads)
        return;
    for (int layout = 0; layout < kKeyboardLayoutCount; ++layout) {
        CKeyboardDlg *keypad = keypads->Keyboard(layout);
        if (!keypad || !keypad->GetChannel())
            continue;
        m_detached.append({keypad, keypad->GetChannel()});
        keypad->DetachChannel(nullptr);
    }
}

KeypadPause::~KeypadPause()
{
    if (--s_depth > 0)
        return;
    if (CKeyboardSet *keypads = Keypads())
        keypads->ForgetPcKeys();
    for (const Detached &entry : qAsConst(m_detached)) {
        if (entry.keypad && !entry.keypad->GetChannel() && ChannelStillOpen(entry.channel))
            entry.keypad->AttachChannel(entry.channel);
    }
}
