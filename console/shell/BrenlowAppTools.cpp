// The application's tools beside the screen windows: the on-screen
// keyboards it owns and the statistics window.
#include "BrenlowApp.h"
#include "KeypadPause.h"

#include "KeyboardSet.h"
#include "StatisticsDlg.h"

void CBrenlowApp::OpenStatistics(const QString &host, QWidget *parent)
{
    // Modal; the screen windows keep receiving behind it.
    CStatisticsDlg dialog(host, parent);
    dialog.exec();
}

void CBrenlowApp::CreateKeyboards()
{
    m_keyboards->CreateKeyboards();
}

void CBrenlowApp::DestroyKeyboards()
{
    m_keyboards->DestroyKeyboards();
}

bool CBrenlowApp::KeyboardsExist() const
{
    return m_keyboards->KeyboardsExist();
}

void CBrenlowApp::ShowKeyboard(int layout, CKprotChannel *channel)
{
    // Not while the console's own menu or dialog has the keys.
    if (KeypadPause::Defer(layout, channel))
        return;
    m_keyboards->ShowKeyboard(layout, channel);
}

void CBrenlowApp::HideKeyboard(int layout, CKprotChannel *channel)
{
    m_keyboards->HideKeyboard(layout, channel);
}

void CBrenlowApp::RepositionKeyboards()
{
    m_keyboards->RepositionKeyboards();
}
