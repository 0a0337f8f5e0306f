#include "KeypadPause.h"

#include "BrenlowApp.h"
#include "BrenlowView.h"
#include "ChildFrame.h"
#include "KeyboardDlg.h"
#include "KeyboardSet.h"

int KeypadPause::s_depth = 0;
bool KeypadPause::s_deferred = false;
int KeypadPause::s_deferredLayout = 0;
CKprotChannel *KeypadPause::s_deferredChannel = nullptr;

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

bool KeypadPause::Defer(int layout, CKprotChannel *channel)
{
    if (s_depth == 0)
        return false;
    s_deferred = true;
    s_deferredLayout = layout;
    s_deferredChannel = channel;
    return true;
}

KeypadPause::KeypadPause()
{
    if (s_depth++ > 0)
        return;
    s_deferred = false;
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
    const bool deferred = s_deferred;
    s_deferred = false;
    if (deferred && ChannelStillOpen(s_deferredChannel)) {
        CBrenlowApp::Instance()->ShowKeyboard(s_deferredLayout, s_deferredChannel);
        return;
    }
    for (const Detached &entry : qAsConst(m_detached)) {
        if (entry.keypad && !entry.keypad->GetChannel() && ChannelStillOpen(entry.channel))
            entry.keypad->AttachChannel(entry.channel);
    }
}
