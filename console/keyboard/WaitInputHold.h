#pragma once

#include <QObject>
#include <QWidget>
#include <QPointer>

#include <memory>
#include <vector>

class QEvent;
class QWidget;

// The operator's input while a channel waits in a blocking connect or send.
// The PC keys go on reaching the keypads, so typing into the controller that
// is already open goes on while "Apri" waits for a slow address; everything
// else waits: key events reach no widget and trigger no shortcut (no window
// switch, no menu), mouse clicks are held back, and both are delivered, in
// order, once the last wait has ended. Wheel turns and pointer moves of the
// wait are dropped.
//
// The key filter sees each key event at its first delivery, to the native
// window, which this hold lets through; the hold takes it at its delivery
// to the widget with the focus.
class CWaitInputHold : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(CWaitInputHold)

public:
    explicit CWaitInputHold(QObject *parent = nullptr);
    ~CWaitInputHold() override;

    // The first wait began (true) or the last one ended (false).
    void SetWaiting(bool waiting);
    bool IsWaiting() const { return m_waiting; }
    // True for an event being delivered again after a wait: the key filter
    // has already counted it.
    static bool IsReplay(const QEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Replay();

    struct Held
    {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    bool m_waiting = false;
    // A message box or menu opened during the wait runs a loop of its own
    // above the wait's and takes input as usual.
    QPointer<QWidget> m_modalAtStart;
    QPointer<QWidget> m_popupAtStart;
    std::vector<Held> m_held;
};
