#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class QMenu;

// Shows the prompt of a disabled menu item in the status bar while the
// pointer is on it, as for enabled items: the operator learns what a
// command would do even while it is not available. Qt itself shows prompts
// of enabled items only.
class CMenuPrompts : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(CMenuPrompts)

public:
    // The prompts go to window, whose status bar shows them.
    explicit CMenuPrompts(QWidget *window);

    void Watch(QMenu *menu);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
};
