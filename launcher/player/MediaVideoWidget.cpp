#include "MediaVideoWidget.h"

#include "MediaPlayer.h"

#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>


namespace {
constexpr int cursorHideDelayMs = 1000;
}

MediaVideoWidget::MediaVideoWidget(MediaPlayer *player, QWidget *parent)
    : Phonon::VideoWidget(parent)
    , m_player(player)
    , m_fullScreenAction(this)
{
    m_fullScreenAction.setCheckable(true);
    m_fullScreenAction.setChecked(false);
    m_fullScreenAction.setShortcut(QKeySequence(Qt::ALT | Qt::Key_Return));
    m_fullScreenAction.setShortcutContext(Qt::WindowShortcut);
    addAction(&m_fullScreenAction);
    connect(&m_fullScreenAction, &QAction::toggled, this, &MediaVideoWidget::setFullScreen);
    setAcceptDrops(true);
}

bool MediaVideoWidget::inFullScreen() const
{
    // The surface is a child of the player's video area except while it is
    // full screen. The window state alone cannot tell: without a window
    // manager the display may drop the full-screen state of a window.
    return isWindow();
}

void MediaVideoWidget::setFullScreen(bool enabled)
{
    if (inFullScreen() == enabled)
        return;
    if (enabled) {
        // A surface already in the full-screen state is left as it is, as
        // Phonon's own switch does.
        if (windowState() & Qt::WindowFullScreen) {
            emit fullScreenChanged(enabled);
            return;
        }
        // The surface becomes a window of its own that covers the screen
        // before it asks for the full-screen state: without a window manager
        // nobody else enlarges it, and a later resize would drop the state.
        setWindowFlags((windowFlags() & ~Qt::SubWindow) | Qt::Window);
        if (QScreen *screen = QGuiApplication::primaryScreen())
            setGeometry(screen->geometry());
        setWindowState(windowState() | Qt::WindowFullScreen);
        show();
        raise();
        // The keys of the surface (Alt+Return, Esc) reach it only while its
        // window is the active one; without window manager nobody else
        // makes it so.
        activateWindow();
    } else {
        setWindowFlags((windowFlags() & ~(Qt::Window | Qt::SubWindow)) | Qt::Widget);
        setWindowState(windowState() & ~Qt::WindowFullScreen);
        show();
        // The video area's layout last placed the surface while it was a
        // window of its own, which a layout leaves out with no room; without
        // a new pass it stays zero pixels high and never shows a frame.
        updateGeometry();
    }
    emit fullScreenChanged(enabled);
}

bool MediaVideoWidget::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        unsetCursor();
        Q_FALLTHROUGH();
    case QEvent::WindowStateChange: {
        const bool fullScreen = (windowState() & Qt::WindowFullScreen) || inFullScreen();
        m_fullScreenAction.setChecked(fullScreen);
        if (fullScreen) {
            m_cursorTimer.start(cursorHideDelayMs, this);
        } else {
            m_cursorTimer.stop();
            unsetCursor();
        }
        break;
    }
    case QEvent::Show:
        // The video surface appearing anew ends the current video, so the
        // operator reaches the machines at once.
        m_player->videoShown();
        break;
    case QEvent::Close:
        // The surface belongs to the player; Alt+F4 in full screen does nothing.
        event->ignore();
        return true;
    default:
        break;
    }
    return Phonon::VideoWidget::event(event);
}

void MediaVideoWidget::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_cursorTimer.timerId()) {
        setCursor(Qt::BlankCursor);
        return;
    }
    Phonon::VideoWidget::timerEvent(event);
}

void MediaVideoWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    Phonon::VideoWidget::mouseDoubleClickEvent(event);
    setFullScreen(!inFullScreen());
}

void MediaVideoWidget::keyPressEvent(QKeyEvent *event)
{
    if (event->modifiers() == Qt::NoModifier) {
        if (event->key() == Qt::Key_Escape) {
            m_player->skip();
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_Backspace) {
            if (inFullScreen())
                setFullScreen(false);
            event->accept();
            return;
        }
    }
    Phonon::VideoWidget::keyPressEvent(event);
}

void MediaVideoWidget::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MediaVideoWidget::dropEvent(QDropEvent *event)
{
    m_player->handleDrop(event);
}
