#include "MainFrame.h"

#include "BrenlowDoc.h"
#include "BrenlowView.h"
#include "ChildFrame.h"
#include "CommandIds.h"
#include "ConsoleIcons.h"
#include "FloorOverview.h"
#include "MenuPrompts.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

using namespace Cmd;

namespace {

const char *const kIdleText = "Pronto";

} // namespace

CMainFrame::CMainFrame(QWidget *parent)
    : QMainWindow(parent)
    , m_mdiArea(new QMdiArea(this))
{
    setObjectName(QStringLiteral("IDR_MAINFRAME"));
    setWindowTitle(QStringLiteral("Brenlow"));
    setWindowIcon(ConsoleIcons::ProgramIcon());
    setCentralWidget(m_mdiArea);
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    m_refreshTimer.setObjectName(QStringLiteral("REFRESH_TIMER"));
    m_refreshTimer.setInterval(kRefreshPeriodMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &CMainFrame::OnRefreshTimer);

    // The commands' enabling is brought up to date when what it depends on
    // changes, never by polling: the active screen window (here), a screen
    // window opened, shown, hidden or closed (AddScreenWindow) and the
    // keypads created or destroyed (the application). An idle console
    // thus has nothing to wake up for.
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::UpdateCommands);
    UpdateCommands();
}

CMainFrame::~CMainFrame()
{
    m_refreshTimer.stop();
    delete m_overview;
    m_mdiArea->disconnect(this);
    // No screen window may reach this frame once it is no longer whole,
    // also one already closed and only waiting to be deleted, which the
    // MDI area no longer lists.
    const auto children = findChildren<CChildFrame *>();
    for (CChildFrame *frame : children)
        frame->disconnect(this);
    // The screen windows go first, while the frame is still whole: each one
    // hides its keyboard and closes its channel.
    const auto frames = ScreenWindows();
    for (CChildFrame *frame : frames)
        delete frame;
}

QAction *CMainFrame::AddCommand(int id, const QString &text, const QString &promptAndTip)
{
    auto *action = new QAction(text, this);
    action->setObjectName(QStringLiteral("ID_%1").arg(id));
    action->setData(id);
    // The prompt shows in the status bar, the part after the line break
    // is the tooltip.
    const QStringList parts = promptAndTip.split(QLatin1Char('\n'));
    action->setStatusTip(parts.value(0));
    action->setToolTip(parts.value(1, parts.value(0)));
    const QIcon icon = ConsoleIcons::CommandIcon(id);
    if (!icon.isNull())
        action->setIcon(icon);
    m_actions.insert(id, action);
    return action;
}

void CMainFrame::CreateActions()
{
    const auto viewCommand = [this](void (CBrenlowView::*handler)()) {
        return [this, handler] {
            if (CBrenlowView *view = ActiveView())
                (view->*handler)();
        };
    };

    connect(AddCommand(ID_FILE_NEW, QStringLiteral("&Apri"),
                       QStringLiteral("Apri un canale di comunicazione\nApertura canale")),
            &QAction::triggered, this, &CMainFrame::NewScreenRequested);
    connect(AddCommand(ID_FILE_OPEN, QStringLiteral("Apri da &filelist"),
                       QStringLiteral("Apre i canali elencati nel file\nApri filelist canali")),
            &QAction::triggered, this, &CMainFrame::ChannelListRequested);
    connect(AddCommand(ID_FILE_CLOSE, QStringLiteral("&Chiudi"),
                       QStringLiteral("Chiude il documento attivo\nChiudi")),
            &QAction::triggered, this, [this] {
                if (QMdiSubWindow *active = m_mdiArea->activeSubWindow())
                    active->close();
            });
    connect(AddCommand(ID_DATI_STATISTICI, QStringLiteral("Dati &statistici"),
                       QStringLiteral("Visualizza i dati statistici\nVisualizza")),
            &QAction::triggered, this, viewCommand(&CBrenlowView::OnDatiStatistici));
    QAction *keyboard = AddCommand(ID_TASTIERA, QStringLiteral("&Tastiera"),
                                   QStringLiteral("Abilita la tastiera\nTastiera"));
    keyboard->setCheckable(true);
    // The check mark follows the keyboards, not the click.
    connect(keyboard, &QAction::triggered, this, [this, viewCommand] {
        viewCommand(&CBrenlowView::OnTastiera)();
        UpdateCommands();
    });
    connect(AddCommand(ID_AGGIORNA, QStringLiteral("&Aggiorna"),
                       QStringLiteral("Aggiorna le linee della videata\nAggiorna la videata")),
            &QAction::triggered, this, viewCommand(&CBrenlowView::OnAggiorna));

    // Commands nobody handles stay disabled.
    AddCommand(ID_SALVA_TUTTI, QStringLiteral("Salva tutti i dati statistici"),
               QStringLiteral("Salva tutti i dati statistici\nSalva tutti"));
    AddCommand(ID_RESET_TUTTI, QStringLiteral("Reset tutti i dati statistici"),
               QStringLiteral("Reset tutti i dati statistici\nReset tutti"));
    AddCommand(ID_OPZIONI, QStringLiteral("&Opzioni"), QString());

    connect(AddCommand(ID_APP_EXIT, QStringLiteral("&Esci"),
                       QStringLiteral("Chiude l'applicazione\nEsci")),
            &QAction::triggered, this, &QWidget::close);

    QAction *toolbar = AddCommand(ID_VIEW_TOOLBAR, QStringLiteral("Barra degli st&rumenti"),
                                  QStringLiteral("Mostra o nasconde la barra degli strumenti\n"
                                                 "Attiva/disattiva barra degli strumenti"));
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    QAction *status = AddCommand(ID_VIEW_STATUS_BAR, QStringLiteral("Barra di st&ato"),
                                 QStringLiteral("Mostra o nasconde la barra di stato\n"
                                                "Attiva/disattiva barra di stato"));
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });

    connect(AddCommand(ID_WINDOW_CASCADE, QStringLiteral("&Sovrapponi"),
                       QStringLiteral("Dispone le finestre sovrapponendole\nSovrapponi finestre")),
            &QAction::triggered, this, [this] { Arrange(&QMdiArea::cascadeSubWindows); });
    connect(AddCommand(ID_WINDOW_TILE_HORZ, QStringLiteral("&Affianca"),
                       QStringLiteral("Dispone le finestre affiancandole\nAffianca finestre")),
            &QAction::triggered, this, [this] { Arrange(&QMdiArea::tileSubWindows); });
    connect(AddCommand(ID_WINDOW_ARRANGE, QStringLiteral("&Disponi icone"),
                       QStringLiteral("Dispone le icone nella parte inferiore della finestra\n"
                                      "Disponi icone")),
            &QAction::triggered, this, [this] { Arrange(nullptr); });

    connect(AddCommand(ID_APP_ABOUT, QStringLiteral("Infor&mazioni su Brenlow..."),
                       QStringLiteral("Visualizza le informazioni sul programma, il numero di "
                                      "versione e il copyright\nInformazioni su")),
            &QAction::triggered, this, &CMainFrame::AboutRequested);
}

void CMainFrame::CreateMenus()
{
    const auto menu = [this](const QString &title, const QList<int> &ids) {
        auto *m = new QMenu(title, this);
        for (int id : ids) {
            if (id == 0)
                m->addSeparator();
            else
                m->addAction(m_actions.value(id));
        }
        return m;
    };

    m_menus128 = {
        menu(QStringLiteral("&Canale"), {ID_FILE_NEW, ID_FILE_OPEN, 0, ID_OPZIONI, 0, ID_APP_EXIT}),
        menu(QStringLiteral("&Visualizza"), {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}),
        menu(QStringLiteral("&?"), {ID_APP_ABOUT}),
    };
    m_menus129 = {
        menu(QStringLiteral("&Canale"),
             {ID_FILE_NEW, ID_FILE_CLOSE, ID_DATI_STATISTICI, ID_TASTIERA, 0, ID_FILE_OPEN,
              ID_SALVA_TUTTI, ID_RESET_TUTTI, 0, ID_OPZIONI, 0, ID_APP_EXIT}),
        menu(QStringLiteral("&Visualizza"), {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_AGGIORNA}),
        menu(QStringLiteral("Fi&nestra"), {ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE}),
        menu(QStringLiteral("&?"), {ID_APP_ABOUT}),
    };
    for (QMenu *m : qAsConst(m_menus128))
        menuBar()->addMenu(m);

    auto *prompts = new CMenuPrompts(this);
    for (QMenu *m : m_menus128 + m_menus129)
        prompts->Watch(m);
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = new QToolBar(QStringLiteral("Standard"), this);
    m_toolBar->setObjectName(QStringLiteral("toolbar128"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setMovable(true);
    m_toolBar->setFloatable(true);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : {ID_FILE_NEW, ID_FILE_CLOSE, ID_DATI_STATISTICI, ID_TASTIERA, 0, ID_FILE_OPEN,
                   ID_SALVA_TUTTI, ID_RESET_TUTTI, 0, ID_APP_ABOUT}) {
        if (id == 0)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(m_actions.value(id));
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    QAction *toggle = m_actions.value(ID_VIEW_TOOLBAR);
    connect(toggle, &QAction::toggled, m_toolBar, &QWidget::setVisible);
    connect(m_toolBar, &QToolBar::visibilityChanged, toggle, &QAction::setChecked);
}

void CMainFrame::CreateStatusBar()
{
    // One pane: the command prompts while the pointer is on a command, the
    // idle text otherwise.
    QStatusBar *bar = statusBar();
    bar->showMessage(QString::fromLatin1(kIdleText));
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString &text) {
        if (text.isEmpty())
            bar->showMessage(QString::fromLatin1(kIdleText));
    });
}

QList<QMenu *> CMainFrame::Menus(int resourceId) const
{
    return resourceId == 129 ? m_menus129 : m_menus128;
}

QList<QMenu *> CMainFrame::CurrentMenus() const
{
    return m_showingMenu129 ? m_menus129 : m_menus128;
}

QList<CChildFrame *> CMainFrame::ScreenWindows() const
{
    return CChildFrame::ScreenWindowsIn(m_mdiArea);
}

CBrenlowView *CMainFrame::ActiveView() const
{
    auto *frame = qobject_cast<CChildFrame *>(m_mdiArea->activeSubWindow());
    return frame && frame->isVisible() ? frame->GetView() : nullptr;
}

void CMainFrame::AddScreenWindow(CChildFrame *frame)
{
    // New screen windows step down and right from the last one, so that
    // none hides another completely.
    const int step = 24;
    const int index = ScreenWindows().size() % 8;
    m_mdiArea->addSubWindow(frame);
    frame->hide();
    frame->move(index * step, index * step);
    // A window is still in the MDI area while it is being destroyed; the
    // menus follow once it has gone.
    connect(frame, &QObject::destroyed, this, [this] {
        QTimer::singleShot(0, this, &CMainFrame::UpdateCommands);
    });
    connect(frame, &QObject::destroyed, this, &CMainFrame::ScreenWindowsChanged);
    // The screen-window commands need the active window to be visible.
    connect(frame, &CChildFrame::VisibilityChanged, this, &CMainFrame::UpdateCommands);
    UpdateCommands();
    emit ScreenWindowsChanged();
}

void CMainFrame::ArmRefreshTimer()
{
    m_refreshTimer.start();
}

void CMainFrame::OnRefreshTimer()
{
    const auto frames = ScreenWindows();
    // Showing a screen window activates it, and every activation passes over
    // all the other windows: with hundreds of controllers opened at once,
    // that made showing them cost the square of their number. The windows
    // shown for the first time in this round are shown without activation,
    // all but the last, which becomes the active one as before.
    CChildFrame *lastShown = nullptr;
    for (CChildFrame *frame : frames) {
        if (frame->GetView()->IsDirty() && frame->GetView()->ShowsOnNextRepaint())
            lastShown = frame;
    }
    for (CChildFrame *frame : frames) {
        CBrenlowView *view = frame->GetView();
        if (!view->IsDirty())
            continue;
        view->ClearDirty();
        const bool quietShow = frame != lastShown && view->ShowsOnNextRepaint();
        // A disabled window is not activated when shown.
        if (quietShow)
            frame->setEnabled(false);
        view->Repaint();
        if (quietShow)
            frame->setEnabled(true);
    }
    m_refreshTimer.stop();
    emit ScreensRefreshed();
}

CFloorOverview *CMainFrame::Overview() const
{
    return m_overview;
}

void CMainFrame::ShowOverview()
{
    if (!m_overview) {
        m_overview = new CFloorOverview(m_mdiArea);
        connect(this, &CMainFrame::ScreenWindowsChanged, m_overview.data(), &CFloorOverview::ScheduleRebuild);
        connect(this, &CMainFrame::ScreensRefreshed, m_overview.data(), &CFloorOverview::Refresh);
    }
    if (m_overview->isMinimized())
        m_overview->showNormal();
    m_overview->show();
    m_overview->raise();
    m_overview->activateWindow();
}

void CMainFrame::UpdateCommands()
{
    const bool anyScreen = !ScreenWindows().isEmpty();
    if (anyScreen != m_showingMenu129) {
        m_showingMenu129 = anyScreen;
        menuBar()->clear();
        for (QMenu *m : CurrentMenus())
            menuBar()->addMenu(m);
    }

    const bool viewActive = ActiveView() != nullptr;
    for (int id : {ID_DATI_STATISTICI, ID_TASTIERA, ID_AGGIORNA})
        m_actions.value(id)->setEnabled(viewActive);
    for (int id : {ID_SALVA_TUTTI, ID_RESET_TUTTI, ID_OPZIONI})
        m_actions.value(id)->setEnabled(false);
    m_actions.value(ID_FILE_CLOSE)->setEnabled(m_mdiArea->activeSubWindow() != nullptr);

    m_actions.value(ID_TASTIERA)->setChecked(m_keypadsExist && m_keypadsExist());
    UpdateTitle();
}

void CMainFrame::UpdateTitle()
{
    QString title = QStringLiteral("Brenlow");
    if (CBrenlowView *view = ActiveView())
        title += QStringLiteral(" - ") + view->GetDocument()->GetTitle();
    if (windowTitle() != title)
        setWindowTitle(title);
}

void CMainFrame::Arrange(void (QMdiArea::*arrangement)())
{
    if (arrangement)
        (m_mdiArea->*arrangement)();
    else
        ArrangeIcons();
    // Fixed-size screen windows moved over one another can keep pieces of
    // each other until something repaints them: once every window has its
    // place, the whole area is painted afresh.
    QTimer::singleShot(0, m_mdiArea->viewport(), [viewport = m_mdiArea->viewport()] {
        viewport->update();
    });
}

void CMainFrame::ArrangeIcons()
{
    // Minimised screen windows line up along the bottom edge, left to right.
    int x = 0;
    const int bottom = m_mdiArea->viewport()->height();
    const auto windows = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *window : windows) {
        if (!window->isMinimized() || !window->isVisible())
            continue;
        window->move(x, bottom - window->height());
        x += window->width();
    }
}

void CMainFrame::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    emit Resized();
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    // Each screen window hides its keyboard and closes its channel; the
    // overview, a window of its own, goes with them.
    m_mdiArea->closeAllSubWindows();
    if (m_overview)
        m_overview->close();
    event->accept();
}
