#include "WaitInputHold.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

namespace {

const QEvent *g_replaying = nullptr;

// Held back events are copied: the originals die with their delivery.
std::unique_ptr<QEvent> CopyOf(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto *key = static_cast<const QKeyEvent *>(event);
        auto copy = std::make_unique<QKeyEvent>(key->type(), key->key(), key->modifiers(),
                                                key->nativeScanCode(), key->nativeVirtualKey(),
                                                key->nativeModifiers(), key->text(),
                                                key->isAutoRepeat(), key->count());
        copy->setTimestamp(key->timestamp());
        return copy;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<const QMouseEvent *>(event);
        auto copy = std::make_unique<QMouseEvent>(mouse->type(), mouse->localPos(), mouse->windowPos(),
                                                  mouse->screenPos(), mouse->button(), mouse->buttons(),
                                                  mouse->modifiers(), mouse->source());
        copy->setTimestamp(mouse->timestamp());
        return copy;
    }
    default:
        return nullptr;
    }
}

} // namespace

CWaitInputHold::CWaitInputHold(QObject *parent)
    : QObject(parent)
{
}

CWaitInputHold::~CWaitInputHold()
{
    if (m_waiting && qApp)
        qApp->removeEventFilter(this);
}

bool CWaitInputHold::IsReplay(const QEvent *event)
{
    return event && event == g_replaying;
}

void CWaitInputHold::SetWaiting(bool waiting)
{
    if (waiting == m_waiting || !qApp)
        return;
    m_waiting = waiting;
    if (waiting) {
        m_modalAtStart = QApplication::activeModalWidget();
        m_popupAtStart = QApplication::activePopupWidget();
        // Installed last, so it sees each event before the other filters.
        qApp->installEventFilter(this);
        return;
    }
    qApp->removeEventFilter(this);
    // Delivered from the event loop, not from inside the call that waited.
    if (!m_held.empty())
        QMetaObject::invokeMethod(this, &CWaitInputHold::Replay, Qt::QueuedConnection);
}

void CWaitInputHold::Replay()
{
    std::vector<Held> held;
    held.swap(m_held);
    for (Held &entry : held) {
        // A wait begun by a replayed click holds what follows it again.
        if (m_waiting) {
            m_held.push_back(std::move(entry));
            continue;
        }
        if (!entry.receiver)
            continue;
        g_replaying = entry.event.get();
        QCoreApplication::sendEvent(entry.receiver, entry.event.get());
        g_replaying = nullptr;
    }
}

bool CWaitInputHold::eventFilter(QObject *watched, QEvent *event)
{
    if (QApplication::activeModalWidget() != m_modalAtStart
        || QApplication::activePopupWidget() != m_popupAtStart)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Taken as a plain key, so no shortcut fires during the wait.
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // Seen by the key filter at the native window; held at the widget.
        if (!event->spontaneous() || !watched->isWidgetType())
            return false;
        m_held.push_back({watched, CopyOf(event)});
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (!event->spontaneous() || !watched->isWindowType())
            return false;
        m_held.push_back({watched, CopyOf(event)});
        return true;
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TouchBegin:
        return event->spontaneous();
    default:
        return false;
    }
}
