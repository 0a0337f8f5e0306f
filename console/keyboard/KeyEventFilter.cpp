#include "KeyEventFilter.h"

#include "KeysLog.h"
#include "LocalKeys.h"
#include "PcKeyMapping.h"
#include "WaitInputHold.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

CKeyEventFilter::CKeyEventFilter(QObject *parent)
    : CKeyEventFilter(OpenPhysicalKeyMap(), parent)
{
}

namespace {

qint64 NowMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

// Ctrl with Tab, Shift+Tab, F6 or F4 moves between the screen windows or
// closes one; the keypads never see these keys.
bool IsWindowNavigationKey(int qtKey)
{
    return qtKey == Qt::Key_Tab || qtKey == Qt::Key_Backtab || qtKey == Qt::Key_F6
        || qtKey == Qt::Key_F4;
}

bool IsWindowNavigation(const QKeyEvent &event)
{
    return event.modifiers().testFlag(Qt::ControlModifier) && IsWindowNavigationKey(event.key());
}

} // namespace

CKeyEventFilter::CKeyEventFilter(std::unique_ptr<CPhysicalKeyMap> keyMap, QObject *parent)
    : QObject(parent)
    , m_keyMap(std::move(keyMap))
    , m_settleTimer(new QTimer(this))
{
    m_settleTimer->setSingleShot(true);
    connect(m_settleTimer, &QTimer::timeout, this, &CKeyEventFilter::KeysChanged);
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
    if (!key.releaseSeen)
        return true;
    // Still waiting for a repeat's press that would follow the release.
    return key.releasedAtMs >= 0 && m_passTimeMs - key.releasedAtMs < kReleaseSettleMs;
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
    m_passTimeMs = NowMs();
    // Keys let go since the last pass leave the table; a release that the
    // key map contradicts was a repeat's and is forgotten. One still
    // settling stays as it is.
    int kept = 0;
    for (int i = 0; i < m_heldCount; ++i) {
        HeldKey key = m_held[i];
        if (!IsDown(key))
            continue;
        if (m_keyMapRead && key.scanCode != 0) {
            key.releaseSeen = false;
            key.releasedAtMs = -1;
        }
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

bool CKeyEventFilter::WasPressedSinceTake(int virtualKey) const
{
    return virtualKey > 0 && virtualKey < kVirtualKeyCount && m_pressedSinceTake[virtualKey];
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
    // Keys held back during a channel's wait were counted when they came.
    if (CWaitInputHold::IsReplay(event))
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        OnKeyPress(*static_cast<QKeyEvent *>(event), watched);
        break;
    case QEvent::KeyRelease:
        OnKeyRelease(*static_cast<QKeyEvent *>(event));
        break;
    case QEvent::ApplicationDeactivate:
        qCDebug(lcKeys) << "console left: every held PC key counts as let go";
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
    const bool forKeypads = !IsWindowNavigation(event) && PressIsForKeypads(receiver);
    // Ctrl going down turns a held Tab, F6 or F4 into window navigation.
    if (key == VK_CONTROL && !repeat)
        LoseWindowNavigationKeys();

    const int found = FindHeld(scanCode, key);
    if (found >= 0) {
        HeldKey &held = m_held[found];
        if (repeat && !held.lost && forKeypads) {
            // Still held: the release just seen was the repeat's.
            held.releaseSeen = false;
            held.releasedAtMs = -1;
        } else if (repeat) {
            // The repeat of a key that went elsewhere stays elsewhere.
            held.lost = true;
        } else if (forKeypads) {
            // Released and pressed again before a pass saw it up.
            held = {scanCode, key, false, false, -1};
            m_pressedSinceTake[key] = true;
        } else {
            // Released and pressed again into a menu or a dialog.
            held.lost = true;
        }
        return;
    }
    if (repeat)
        return;
    if (!forKeypads) {
        LogWithheldPress(event, key, receiver);
        return;
    }
    if (m_heldCount == kMaxHeldKeys)
        DropReleasedKeys();
    if (m_heldCount == kMaxHeldKeys) {
        qCDebug(lcKeys) << "PC key" << key << "left out:" << kMaxHeldKeys << "keys are held already";
        return;
    }
    m_held[m_heldCount++] = {scanCode, key, false, false, -1};
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
    if (found < 0)
        return;
    HeldKey &held = m_held[found];
    held.releaseSeen = true;
    // Without a time stamp (a synthetic event) nothing can follow as its
    // repeat; with one, a pass after the settling time lets go.
    if (event.timestamp() != 0 && !held.lost) {
        held.releasedAtMs = NowMs();
        m_settleTimer->start(kReleaseSettleMs + 5);
    }
}

void CKeyEventFilter::LoseWindowNavigationKeys()
{
    for (int i = 0; i < m_heldCount; ++i) {
        const int key = m_held[i].virtualKey;
        if ((key == VK_TAB || key == VK_F6 || key == VK_F4) && !m_held[i].lost) {
            m_held[i].lost = true;
            qCDebug(lcKeys) << "PC key" << key << "let go: with Ctrl it switches screen windows";
        }
    }
}

void CKeyEventFilter::LogWithheldPress(const QKeyEvent &event, int virtualKey, QObject *receiver)
{
    if (!lcKeys().isDebugEnabled() || m_lastWithheld == &event)
        return;
    m_lastWithheld = &event;
    const char *why = IsWindowNavigation(event)
        ? "Ctrl with Tab, F6 or F4 switches screen windows"
        : "a menu, a dialog, a text field or a window that keeps its keys takes it";
    qCDebug(lcKeys) << "PC key" << virtualKey << "not for the keypads:" << why << "- went to"
                    << (receiver ? receiver->metaObject()->className() : "nothing");
}
