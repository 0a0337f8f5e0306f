#include "BrenlowApp.h"

#include "AboutDlg.h"
#include "BrenlowDoc.h"
#include "BrenlowView.h"
#include "ChannelListFile.h"
#include "ChildFrame.h"
#include "IPAddressDlg.h"
#include "ItalianTexts.h"
#include "KeyboardSet.h"
#include "KprotChannel.h"
#include "MainFrame.h"
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

namespace {

CBrenlowApp *g_app = nullptr;

} // namespace

CBrenlowApp::CBrenlowApp(QObject *parent)
    : QObject(parent)
    , m_keyboards(new CKeyboardSet(this))
    , m_inputHold(new CWaitInputHold(this))
{
    g_app = this;
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
    DestroyKeyboards();
    delete m_mainFrame;
    if (g_app == this)
        g_app = nullptr;
}

CBrenlowApp *CBrenlowApp::Instance()
{
    return g_app;
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
    // Whichever way a screen window comes to the front (a click, Ctrl+Tab,
    // Ctrl+F6, the Finestra menu, an overview tile), the keypad follows it
    // at once, letting go of the keys held on the window left.
    connect(m_mainFrame->MdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *window) {
        auto *frame = qobject_cast<CChildFrame *>(window);
        if (frame && frame->GetView()->GetChannel()->IsOpen())
            ShowKeyboard(frame->GetView()->GetKeyboardLayout(), frame->GetView()->GetChannel());
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
    auto *frame = new CChildFrame(presetAddress);
    CBrenlowDoc *document = frame->GetDocument();
    frame->GetView()->OnCreate();
    document->SetTitle(QString());
    if (!document->OnNewDocument()) {
        delete frame;
        return nullptr;
    }
    frame->setWindowTitle(document->GetTitle());
    if (m_mainFrame)
        m_mainFrame->AddScreenWindow(frame);
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

QString CBrenlowApp::AskImagePath(const QString &suggestedPath) const
{
    return m_chooseImagePath ? m_chooseImagePath(suggestedPath) : QString();
}

bool CBrenlowApp::AskAddress(QString *address) const
{
    return m_askAddress && m_askAddress(address);
}
