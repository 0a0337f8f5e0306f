#include "MenuPrompts.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QStatusTipEvent>

CMenuPrompts::CMenuPrompts(QWidget *window)
    : QObject(window)
    , m_window(window)
{
}

void CMenuPrompts::Watch(QMenu *menu)
{
    menu->installEventFilter(this);
}

bool CMenuPrompts::eventFilter(QObject *watched, QEvent *event)
{
    auto *menu = qobject_cast<QMenu *>(watched);
    if (!menu)
        return false;
    if (event->type() == QEvent::MouseMove) {
        const auto *move = static_cast<QMouseEvent *>(event);
        QAction *action = menu->actionAt(move->pos());
        if (action && !action->isEnabled() && !action->isSeparator()) {
            // After the menu's own handling of the move, which leaves no
            // item current and would put the idle text back.
            // A menu is a window of its own, so the prompt is sent to the
            // window with the status bar, as Qt does for enabled items.
            QPointer<QMenu> guard(menu);
            QMetaObject::invokeMethod(this, [this, guard, action] {
                if (m_window && guard && guard->isVisible() && guard->actions().contains(action))
                    action->showStatusText(m_window);
            }, Qt::QueuedConnection);
        }
    }
    return false;
}
