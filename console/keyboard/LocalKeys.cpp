#include "LocalKeys.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace {

const char *const kLocalKeysProperty = "brenlowLocalKeys";

bool Keeps(const QWidget *widget)
{
    return widget && widget->window()->property(kLocalKeysProperty).toBool();
}

} // namespace

void KeepKeysLocal(QWidget *window)
{
    window->setProperty(kLocalKeysProperty, true);
    const auto children = window->findChildren<QWidget *>();
    for (QWidget *child : children) {
        if (child->isWindow())
            child->setProperty(kLocalKeysProperty, true);
    }
}

bool IsKeyPressLocal(QObject *receiver)
{
    // An open popup takes every key, whichever window the system delivered
    // it to first.
    if (const QWidget *popup = QApplication::activePopupWidget())
        return Keeps(popup);
    if (receiver->isWidgetType())
        return Keeps(static_cast<QWidget *>(receiver));
    if (receiver->isWindowType()) {
        const auto windows = QApplication::topLevelWidgets();
        for (const QWidget *window : windows) {
            if (window->windowHandle() == receiver)
                return Keeps(window);
        }
    }
    return false;
}
