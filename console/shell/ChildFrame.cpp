#include "ChildFrame.h"

#include "BrenlowDoc.h"
#include "BrenlowView.h"
#include "ConsoleIcons.h"
#include "StatusPane.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMenu>
#include <QStatusBar>
#include <QVBoxLayout>

CChildFrame::CChildFrame(const QString &presetAddress, ScreenViewHost *host, QWidget *parent)
    : QMdiSubWindow(parent)
    , m_document(std::make_unique<CBrenlowDoc>())
{
    // A title, a system menu, minimise and close; no maximise button.
    setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose);
    KeepFixedSizeEntries();
    setWindowIcon(ConsoleIcons::ProgramIcon());
    m_document->SetPresetAddress(presetAddress);

    auto *client = new QWidget;
    auto *layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The status bar comes first, so the view can report into it at once.
    m_statusBar = new QStatusBar(client);
    m_statusBar->setSizeGripEnabled(false);
    m_statusPane = new StatusPane(m_statusBar);
    m_statusBar->addWidget(m_statusPane, 1);

    m_view = new CBrenlowView(m_document.get(), this, host);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_statusBar);
    client->setFocusProxy(m_view);
    setWidget(client);
}

CChildFrame::~CChildFrame() = default;

CChildFrame *CChildFrame::OpenScreen(const QString &presetAddress, ScreenViewHost *host)
{
    auto *frame = new CChildFrame(presetAddress, host);
    CBrenlowDoc *document = frame->GetDocument();
    frame->GetView()->OnCreate();
    document->SetTitle(QString());
    if (!document->OnNewDocument()) {
        delete frame;
        return nullptr;
    }
    frame->setWindowTitle(document->GetTitle());
    return frame;
}

QList<CChildFrame *> CChildFrame::ScreenWindowsIn(const QMdiArea *area)
{
    QList<CChildFrame *> frames;
    const auto windows = area->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *window : windows) {
        if (auto *frame = qobject_cast<CChildFrame *>(window))
            frames.append(frame);
    }
    return frames;
}

void CChildFrame::KeepFixedSizeEntries()
{
    // The window has the panel's size and lives among the others: sizing,
    // maximising and staying on top do not apply to it.
    const auto qtText = [](const char *text) {
        return QCoreApplication::translate("QMdiSubWindow", text);
    };
    const QStringList dropped = {qtText("&Size"), qtText("Ma&ximize"), qtText("Stay on &Top")};
    QMenu *menu = systemMenu();
    const auto actions = menu->actions();
    for (QAction *action : actions) {
        if (dropped.contains(action->text()))
            menu->removeAction(action);
    }
}

void CChildFrame::SetStatusText(const QString &text)
{
    m_statusPane->SetText(text);
}

void CChildFrame::SetBlockStatus(int number)
{
    m_statusPane->SetBlockLine(number);
}

void CChildFrame::ShowStatus()
{
    m_statusPane->ShowLatest();
}

QString CChildFrame::StatusText() const
{
    return m_statusPane->Text();
}

void CChildFrame::SizeForPanel(const QSize &panel)
{
    m_view->setFixedSize(panel);
    widget()->adjustSize();
    adjustSize();
    setFixedSize(sizeHint());
    show();
}

void CChildFrame::showEvent(QShowEvent *event)
{
    QMdiSubWindow::showEvent(event);
    emit VisibilityChanged();
}

void CChildFrame::hideEvent(QHideEvent *event)
{
    QMdiSubWindow::hideEvent(event);
    emit VisibilityChanged();
}
