#include "KeyEventFilter.h"

#include "LocalKeys.h"
#include "PcKeyMapping.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

CKeyEventFilter::CKeyEventFilter(QObject *parent)
    : CKeyEventFilter(OpenPhysicalKeyMap(), parent)
{
}

CKeyEventFilter::CKeyEventFilter(std::unique_ptr<CPhysicalKeyMap> keyMap, QObject *parent)
    : QObject(parent)
    , m_keyMap(std::move(keyMap))
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

bool CKeyEventFilter::PressIsForKeypads(QObject *receiver) const
{
    if (QApplication::activePopupWidget() || QApplication::activeModalWidget())
        return false;
    // The console's own windows that keep their keys (the floor overview).
    if (IsKeyPressLocal(receiver))
        return false;
    const QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return true;
    // The menu bar worked from the keyboard, and fields that take text,
    // have the keys for themselves.
    if (qobject_cast<const QMenuBar *>(focus) || qobject_cast<const QMenu *>(focus))
        return false;
    return !focus->testAttribute(Qt::WA_InputMethodEnabled);
}

bool CKeyEventFilter::IsDown(const HeldKey &key) const
{
    if (key.lost)
        return false;
    if (m_keyMapRead && key.scanCode != 0)
        return m_keyMap->IsDown(key.scanCode);
    return !key.releaseSeen;
}

void CKeyEventFilter::BeginPass()
{
    // The key map is asked (one round trip to the display) only when a
    // release has to be told from a repeat's; a press needs no check.
    // Keys known without a scan code follow their events alone.
    bool releaseSeen = false;
    for (int i = 0; i < m_heldCount && !releaseSeen; ++i)
        releaseSeen = m_held[i].releaseSeen && m_held[i].scanCode != 0;
    m_keyMapRead = releaseSeen && m_keyMap && m_keyMap->Read();
    // Keys let go since the last pass leave the table; a release that the
    // key map contradicts was a repeat's and is forgotten.
    int kept = 0;
    for (int i = 0; i < m_heldCount; ++i) {
        HeldKey key = m_held[i];
        if (!IsDown(key))
            continue;
        key.releaseSeen = false;
        m_held[kept++] = key;
    }
    m_heldCount = kept;
}

bool CKeyEventFilter::IsKeyHeld(int virtualKey) const
{
    if (virtualKey <= 0 || virtualKey >= kVirtualKeyCount)
        return false;
    for (int i = 0; i < m_heldCount; ++i) {
        if (m_held[i].virtualKey == virtualKey && IsDown(m_held[i]))
            return true;
    }
    return false;
}

bool CKeyEventFilter::TakeKeyHeldOrPressed(int virtualKey)
{
    if (virtualKey <= 0 || virtualKey >= kVirtualKeyCount)
        return false;
    const bool pressed = m_pressedSinceTake[virtualKey];
    m_pressedSinceTake[virtualKey] = false;
    return pressed || IsKeyHeld(virtualKey);
}

void CKeyEventFilter::ReleaseAllKeys()
{
    m_heldCount = 0;
    for (auto &pressed : m_pressedSinceTake)
        pressed = false;
}

bool CKeyEventFilter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        OnKeyPress(*static_cast<QKeyEvent *>(event), watched);
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

void CKeyEventFilter::DropReleasedKeys()
{
    // Without passes (no keypad shown, or another application active)
    // released keys are not settled; a full table makes room with them.
    int kept = 0;
    for (int i = 0; i < m_heldCount; ++i) {
        if (!m_held[i].releaseSeen && !m_held[i].lost)
            m_held[kept++] = m_held[i];
    }
    m_heldCount = kept;
}

int CKeyEventFilter::FindHeld(quint32 scanCode, int virtualKey) const
{
    for (int i = 0; i < m_heldCount; ++i) {
        if (scanCode != 0 ? m_held[i].scanCode == scanCode
                          : m_held[i].scanCode == 0 && m_held[i].virtualKey == virtualKey)
            return i;
    }
    return -1;
}

// A key event travels up the parent chain while widgets ignore it, and the
// filter sees it at every step: pressing and releasing must therefore be
// idempotent for one event. Where the press goes is decided by which window
// has the keyboard, the same at every step of the chain.
void CKeyEventFilter::OnKeyPress(const QKeyEvent &event, QObject *receiver)
{
    const int key = VirtualKeyFromEvent(event);
    if (key == VK_NONE)
        return;
    const quint32 scanCode = event.nativeScanCode();
    // The window system repeats a held key as a release and a press with
    // the same time stamp, and does not always say so.
    const bool repeat = event.isAutoRepeat()
        || (scanCode != 0 && scanCode < kTimedScanCodes && event.timestamp() != 0
            && event.timestamp() == m_releaseTime[scanCode]);
    const bool forKeypads = PressIsForKeypads(receiver);

    const int found = FindHeld(scanCode, key);
    if (found >= 0) {
        HeldKey &held = m_held[found];
        if (repeat) {
            // Still held: the release just seen was the repeat's.
            held.releaseSeen = false;
        } else if (forKeypads) {
            // Released and pressed again before a pass saw it up.
            held = {scanCode, key, false, false};
            m_pressedSinceTake[key] = true;
        } else {
            // Released and pressed again into a menu or a dialog.
            held.lost = true;
        }
        return;
    }
    if (repeat || !forKeypads)
        return;
    if (m_heldCount == kMaxHeldKeys)
        DropReleasedKeys();
    if (m_heldCount == kMaxHeldKeys)
        return;
    m_held[m_heldCount++] = {scanCode, key, false, false};
    m_pressedSinceTake[key] = true;
}

void CKeyEventFilter::OnKeyRelease(const QKeyEvent &event)
{
    // Every release's time is kept, the repeat's included: the press that
    // follows it with the same time stamp is the repeat's, marked or not.
    const quint32 scanCode = event.nativeScanCode();
    if (scanCode != 0 && scanCode < kTimedScanCodes)
        m_releaseTime[scanCode] = event.timestamp();
    if (event.isAutoRepeat())
        return;

    int found = scanCode != 0 ? FindHeld(scanCode, VK_NONE) : -1;
    if (found < 0) {
        const int key = VirtualKeyFromEvent(event);
        if (key == VK_NONE)
            return;
        for (int i = 0; i < m_heldCount && found < 0; ++i) {
            if (m_held[i].virtualKey == key && (scanCode == 0 || m_held[i].scanCode == 0))
                found = i;
        }
    }
    if (found >= 0)
        m_held[found].releaseSeen = true;
}
