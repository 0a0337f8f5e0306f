#include "BrenlowApp.h"

#include "AboutDlg.h"
#include "BrenlowDoc.h"
#include "BrenlowView.h"
#include "ChannelListFile.h"
#include "ChildFrame.h"
#include "IPAddressDlg.h"
#include "ItalianTexts.h"
#include "KeyboardDlg.h"
#include "KeyboardSet.h"
#include "KprotChannel.h"
#include "MainFrame.h"
#include "StatisticsDlg.h"
#include "UserMessages.h"
#include "WaitInputHold.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopedPointer>
#include <QScreen>

#include <sys/socket.h>
#include <unistd.h>

CBrenlowApp::CBrenlowApp(QObject *parent)
    : QObject(parent)
    , m_keyboards(new CKeyboardSet(this))
    , m_inputHold(new CWaitInputHold(this))
{
    // While a channel waits, the PC keys still type into the open
    // controllers; the rest of the operator's input waits.
    CKprotChannel::SetWaitObserver([hold = m_inputHold](bool waiting) { hold->SetWaiting(waiting); });
    // The keyboards go when the last screen window has gone.
    m_keyboards->SetScreenWindowProbe([this] { return !ScreenWindows().isEmpty(); });
    m_askAddress = [this](QString *address) {
        CIPAddressDlg dialog(m_mainFrame);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        *address = dialog.Address();
        return true;
    };
    m_chooseFile = [this](const QString &startFolder) {
        // Any file may be a channel list: no type filter; it must exist.
        QScopedPointer<QFileDialog> dialog(CreateChannelListDialog(m_mainFrame, startFolder));
        if (dialog->exec() != QDialog::Accepted)
            return QString();
        return dialog->selectedFiles().value(0);
    };
    m_chooseImagePath = [this](const QString &suggestedPath) {
        QFileDialog dialog(m_mainFrame, QStringLiteral("Salva immagine"), suggestedPath,
                           QStringLiteral("Immagini PNG (*.png)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("png"));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
            ? dialog.selectedFiles().constFirst()
            : QString();
    };
}

CBrenlowApp::~CBrenlowApp()
{
    CKprotChannel::SetWaitObserver(nullptr);
    m_keyboards->DestroyKeyboards();
    delete m_mainFrame;
}

bool CBrenlowApp::InitSocketLayer()
{
    // The console cannot talk to any controller without TCP sockets.
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    if (probe < 0)
        return false;
    ::close(probe);
    return true;
}

bool CBrenlowApp::InitInstance(const QString &commandLine)
{
    if (!InitSocketLayer()) {
        ShowMessage(QStringLiteral("Inizializzazione dei connettori di Windows non riuscita."),
                    MessageIcon::Error);
        return false;
    }

    m_mainFrame = new CMainFrame;
    m_keyboards->SetMainFrame(m_mainFrame);
    m_mainFrame->SetKeypadProbe([this] { return KeyboardsExist(); });
    connect(m_mainFrame, &CMainFrame::NewScreenRequested, this, &CBrenlowApp::OnFileNew);
    connect(m_mainFrame, &CMainFrame::ChannelListRequested, this, &CBrenlowApp::OnFileOpenList);
    connect(m_mainFrame, &CMainFrame::AboutRequested, this, &CBrenlowApp::OnAppAbout);
    connect(m_mainFrame, &CMainFrame::Resized, m_keyboards, &CKeyboardSet::RepositionKeyboards);
    // Whichever way a screen window comes to the front (a click, Ctrl+Tab,
    // Ctrl+F6, the Finestra menu, an overview tile), the keypad follows it
    // at once, letting go of the keys held on the window left.
    connect(m_mainFrame->MdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *window) {
        auto *frame = qobject_cast<CChildFrame *>(window);
        if (frame && frame->GetView()->GetChannel()->IsOpen())
            ShowKeypad(frame->GetView()->GetKeyboardLayout(), frame->GetView()->GetChannel());
    });
    // Room for a few screen windows and the keyboard below them.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        m_mainFrame->resize(qMin(1100, area.width() * 9 / 10), qMin(820, area.height() * 9 / 10));
    }
    m_mainFrame->show();

    if (!commandLine.isEmpty())
        OpenChannelList(commandLine);
    return true;
}

CChildFrame *CBrenlowApp::OpenScreenWindow(const QString &presetAddress)
{
    CChildFrame *frame = CChildFrame::OpenScreen(presetAddress, this);
    if (!frame)
        return nullptr;
    CBrenlowView *view = frame->GetView();
    connect(view, &CBrenlowView::StatisticsRequested, this,
            [this, view](const QString &host) { OpenStatistics(host, view); });
    if (m_mainFrame) {
        connect(view, &CBrenlowView::OverviewRequested, m_mainFrame.data(), &CMainFrame::ShowOverview);
        m_mainFrame->AddScreenWindow(frame);
    }
    // With the last screen window gone the keyboards go at the next turn
    // of the event loop.
    connect(frame, &QObject::destroyed, m_keyboards, &CKeyboardSet::ScheduleIdleSteps);
    return frame;
}

QList<CChildFrame *> CBrenlowApp::ScreenWindows() const
{
    return m_mainFrame ? m_mainFrame->ScreenWindows() : QList<CChildFrame *>();
}

void CBrenlowApp::OpenChannelList(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowMessage(QStringLiteral("Errore apertura file ") + path, MessageIcon::Error);
        return;
    }
    const QStringList lines = SplitChannelListLines(file.readAll());
    file.close();
    // Every line is tried; each failure has shown its own message, up to
    // a count.
    OpenChannelListLines(lines, [this](const QString &line) { return OpenScreenWindow(line) != nullptr; });
}

void CBrenlowApp::OnFileNew()
{
    OpenScreenWindow(QString());
}

void CBrenlowApp::OnFileOpenList()
{
    const QString path = m_chooseFile(QCoreApplication::applicationDirPath());
    if (!path.isEmpty())
        OpenChannelList(path);
}

void CBrenlowApp::OnAppAbout()
{
    CAboutDlg dialog(m_mainFrame);
    dialog.exec();
}

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

bool CBrenlowApp::KeyboardsExist() const
{
    return m_keyboards->KeyboardsExist();
}

QString CBrenlowApp::AskImagePath(const QString &suggestedPath)
{
    return m_chooseImagePath ? m_chooseImagePath(suggestedPath) : QString();
}

bool CBrenlowApp::AskAddress(QString *address)
{
    return m_askAddress && m_askAddress(address);
}

bool CBrenlowApp::IsAddressOpen(const QString &address) const
{
    const auto frames = ScreenWindows();
    for (const CChildFrame *frame : frames) {
        if (frame->GetView()->GetChannel()->GetHost() == address)
            return true;
    }
    return false;
}

void CBrenlowApp::ArmRefresh()
{
    if (m_mainFrame)
        m_mainFrame->ArmRefreshTimer();
}

void CBrenlowApp::ShowKeypad(int layout, CKprotChannel *channel)
{
    m_keyboards->ShowKeyboard(layout, channel);
}

void CBrenlowApp::HideKeypad(int layout, CKprotChannel *channel)
{
    m_keyboards->HideKeyboard(layout, channel);
}

void CBrenlowApp::ToggleKeypads()
{
    if (KeyboardsExist())
        m_keyboards->DestroyKeyboards();
    else
        CreateKeyboards();
}

void CBrenlowApp::ReleaseKeys(CKprotChannel *channel)
{
    m_keyboards->ReleaseChannel(channel);
}
