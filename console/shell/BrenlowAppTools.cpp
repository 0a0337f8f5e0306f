// The application's tools beside the screen windows: the on-screen
// keyboards it owns and the statistics window.
#include "BrenlowApp.h"

#include "KeyboardDlg.h"
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
    const bool existed = m_keyboards->KeyboardsExist();
    m_keyboards->CreateKeyboards();
    if (existed || !m_keyboards->KeyboardsExist())
        return;
    // The keypads may also go at an idle moment, from inside the set; the
    // first one's end tells the "Tastiera" check mark, once the set has
    // let go of all three.
    if (m_mainFrame) {
        connect(m_keyboards->Keyboard(0), &QObject::destroyed, m_mainFrame.data(),
                &CMainFrame::UpdateCommands, Qt::QueuedConnection);
        m_mainFrame->UpdateCommands();
    }
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
