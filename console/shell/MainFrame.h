#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <functional>

class CBrenlowView;
class CChildFrame;
class CFloorOverview;
class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

// The console's main window: the MDI area holding the screen windows, the
// menus (128 while no screen window exists, 129 while one does), the
// toolbar, the one-pane status bar, and the refresh timer that repaints the
// screen windows whose image changed.
class CMainFrame : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY(CMainFrame)

public:
    explicit CMainFrame(QWidget *parent = nullptr);
    ~CMainFrame() override;

    QMdiArea *MdiArea() const { return m_mdiArea; }
    QAction *Action(int commandId) const { return m_actions.value(commandId); }
    QToolBar *ToolBar() const { return m_toolBar; }
    QList<QMenu *> CurrentMenus() const;
    // The menus of a resource: 128 (no screen window) or 129.
    QList<QMenu *> Menus(int resourceId) const;

    // Every screen window, hidden ones included, in the order of opening.
    QList<CChildFrame *> ScreenWindows() const;
    CBrenlowView *ActiveView() const;
    void AddScreenWindow(CChildFrame *frame);

    // Starts the one-second period again; the timer stops after it fired.
    void ArmRefreshTimer();
    bool IsRefreshTimerActive() const { return m_refreshTimer.isActive(); }
    void OnRefreshTimer();

    // Enables the commands that have a handler now, sets the Tastiera check
    // mark, and switches the menus with the presence of screen windows.
    void UpdateCommands();
    // Tells whether the keypads exist, for the Tastiera check mark.
    void SetKeypadProbe(std::function<bool()> probe) { m_keypadsExist = std::move(probe); }

    // "Panoramica impianto": the one floor overview of this console, made
    // on first use and brought to the front afterwards.
    void ShowOverview();
    CFloorOverview *Overview() const;

signals:
    // The application's commands, handled by the application.
    void NewScreenRequested();
    void ChannelListRequested();
    void AboutRequested();
    // The frame changed size: the keypads placed against it follow.
    void Resized();
    // A screen window was added or has gone.
    void ScreenWindowsChanged();
    // The refresh timer has repainted the screen windows whose image changed.
    void ScreensRefreshed();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QAction *AddCommand(int id, const QString &text, const QString &promptAndTip);
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void UpdateTitle();
    // Cascade, tile (a QMdiArea arrangement) or, with none, line up icons.
    void Arrange(void (QMdiArea::*arrangement)());
    void ArrangeIcons();

    QMdiArea *m_mdiArea;
    QToolBar *m_toolBar = nullptr;
    QLabel *m_idlePane = nullptr;
    QHash<int, QAction *> m_actions;
    QList<QMenu *> m_menus128;
    QList<QMenu *> m_menus129;
    bool m_showingMenu129 = false;
    QTimer m_refreshTimer;
    QPointer<CFloorOverview> m_overview;
    std::function<bool()> m_keypadsExist;
};
