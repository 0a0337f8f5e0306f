#include "KeyEventFilter.h"

#include "LocalKeys.h"
#include "PcKeyMapping.h"

#include <QApplication>
#include <QKeyEvent>

CKeyEventFilter::CKeyEventFilter(QObject *parent)
    : QObject(parent)
{
    if (qApp)
        qApp->installEventFilter(this);
}

CKeyEventFilter::~CKeyEventFilter()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool CKeyEventFilter::HasFocusWindow() const
{
    return QApplication::activeWindow() != nullptr || QApplication::focusWidget() != nullptr;
}

bool CKeyEventFilter::IsKeyHeld(int virtualKey) const
{
    return virtualKey > 0 && virtualKey < kVirtualKeyCount && m_holders[virtualKey] > 0;
}

bool CKeyEventFilter::TakeKeyHeldOrPressed(int virtualKey)
{
    if (virtualKey <= 0 || virtualKey >= kVirtualKeyCount)
        return false;
    const bool pressed = m_pressedSinceTake[virtualKey];
    m_pressedSinceTake[virtualKey] = false;
    return pressed || m_holders[virtualKey] > 0;
}

void CKeyEventFilter::ReleaseAllKeys()
{
    m_heldCount = 0;
    for (auto &holders : m_holders)
        holders = 0;
    for (auto &pressed : m_pressedSinceTake)
        pressed = false;
}

bool CKeyEventFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        // Keys typed into the console's own menus and windows stay there.
        // Releases always count, so a key held before never sticks.
        if (!IsKeyPressLocal(watched))
            OnKeyPress(*static_cast<QKeyEvent *>(event));
        break;
    case QEvent::KeyRelease:
        OnKeyRelease(*static_cast<QKeyEvent *>(event));
        break;
    case QEvent::ApplicationDeactivate:
        ReleaseAllKeys();
        break;
    case QEvent::ApplicationStateChange:
        if (static_cast<QApplicationStateChangeEvent *>(event)->applicationState()
            != Qt::ApplicationActive)
            ReleaseAllKeys();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

// A key event travels up the parent chain while widgets ignore it, and the
// filter sees it at every step: pressing and releasing must therefore be
// idempotent for one event.
void CKeyEventFilter::OnKeyPress(const QKeyEvent &event)
{
    const int key = VirtualKeyFromEvent(event);
    if (key == VK_NONE)
        return;
    if (event.isAutoRepeat() && m_holders[key] > 0)
        return;

    const quint32 scanCode = event.nativeScanCode();
    for (int i = 0; i < m_heldCount; ++i) {
        if (m_held[i].scanCode == scanCode && m_held[i].virtualKey == key)
            return;
        if (scanCode != 0 && m_held[i].scanCode == scanCode)
            return; // the same physical key, seen under another character
    }
    if (m_heldCount == kMaxHeldKeys)
        return;
    m_held[m_heldCount++] = {scanCode, key};
    ++m_holders[key];
    m_pressedSinceTake[key] = true;
}

void CKeyEventFilter::OnKeyRelease(const QKeyEvent &event)
{
    if (event.isAutoRepeat())
        return;

    const quint32 scanCode = event.nativeScanCode();
    int found = -1;
    if (scanCode != 0) {
        for (int i = 0; i < m_heldCount && found < 0; ++i) {
            if (m_held[i].scanCode == scanCode)
                found = i;
        }
    }
    if (found < 0) {
        const int key = VirtualKeyFromEvent(event);
        if (key == VK_NONE)
            return;
        for (int i = 0; i < m_heldCount && found < 0; ++i) {
            if (m_held[i].virtualKey == key && (scanCode == 0 || m_held[i].scanCode == 0))
                found = i;
        }
    }
    if (found < 0)
        return;

    --m_holders[m_held[found].virtualKey];
    m_held[found] = m_held[--m_heldCount];
}
