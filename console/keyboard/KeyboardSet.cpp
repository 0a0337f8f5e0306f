#include "KeyboardSet.h"

#include "KeyEventFilter.h"
#include "KeyboardDlg.h"
#include "KeysLog.h"
#include "KprotChannel.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>

CKeyboardSet::CKeyboardSet(QObject *parent, std::unique_ptr<CKeyLedger> ledger)
    : QObject(parent)
    , m_ledger(ledger ? std::move(ledger) : std::make_unique<CKeyLedger>())
    , m_keyFilter(new CKeyEventFilter(this))
    , m_screenWindows([] { return true; })
{
    connect(m_keyFilter, &CKeyEventFilter::KeysChanged, this, &CKeyboardSet::ScheduleIdleSteps);
}

CKeyboardSet::~CKeyboardSet()
{
    DestroyKeyboards();
    qDeleteAll(m_retired);
}

void CKeyboardSet::SetMainFrame(QWidget *mainFrame)
{
    m_mainFrame = mainFrame;
}

void CKeyboardSet::SetScreenWindowProbe(ScreenWindowProbe probe)
{
    m_screenWindows = probe ? std::move(probe) : ScreenWindowProbe([] { return true; });
}

CKeyboardDlg *CKeyboardSet::NewKeyboard(int layout)
{
    return new CKeyboardDlg(KeyboardLayoutAt(layout), m_keyFilter, m_mainFrame);
}

void CKeyboardSet::CreateKeyboards()
{
    if (KeyboardsExist())
        return;
    // Watch the PC keyboard from here on, also when this set was made before
    // the application object (installing again keeps one filter).
    if (qApp)
        qApp->installEventFilter(m_keyFilter);
    for (int layout = 0; layout < kKeyboardLayoutCount; ++layout) {
        CKeyboardDlg *keyboard = NewKeyboard(layout);
        // No parent, but kept above the main frame by the window manager.
        if (m_mainFrame && m_mainFrame->windowHandle()) {
            keyboard->winId();
            keyboard->windowHandle()->setTransientParent(m_mainFrame->windowHandle());
        }
        keyboard->hide();
        keyboard->SetKeyLedger(m_ledger.get());
        connect(keyboard, &CKeyboardDlg::ControlsChanged, this, &CKeyboardSet::ScheduleIdleSteps);
        m_keyboards[layout] = keyboard;
    }
    if (qApp)
        qApp->installEventFilter(this);
    ScheduleIdleSteps();
}

void CKeyboardSet::DestroyKeyboards()
{
    if (!KeyboardsExist())
        return;
    qCDebug(lcKeys) << "keypads switched off";
    StopFollowingKeyboard();
    if (qApp)
        qApp->removeEventFilter(this);
    for (auto &keyboard : m_keyboards) {
        if (!keyboard)
            continue;
        if (m_inIdleSteps) {
            // A pass of this keypad may be on the stack below a message box.
            keyboard->hide();
            keyboard->DetachChannel(nullptr);
            m_retired.push_back(keyboard);
        } else {
            delete keyboard;
        }
        keyboard = nullptr;
    }
}

bool CKeyboardSet::KeyboardsExist() const
{
    return m_keyboards[0] != nullptr;
}

CKeyboardDlg *CKeyboardSet::Keyboard(int layout) const
{
    return layout >= 0 && layout < kKeyboardLayoutCount ? m_keyboards[layout] : nullptr;
}

void CKeyboardSet::ShowKeyboard(int layout, CKprotChannel *channel)
{
    if (!KeyboardsExist() || layout < 0 || layout >= kKeyboardLayoutCount)
        return;
    // Typing into another controller, or with another keypad, starts with
    // every key up.
    const CKeyboardDlg *shown = m_keyboards[layout];
    if (!shown->isVisible() || shown->GetChannel() != channel) {
        qCDebug(lcKeys) << "keypad" << layout << "shown for" << (channel ? channel->GetHost() : QString())
                        << "- keys down elsewhere are let go";
        StopFollowingKeyboard();
    }
    for (int other = 0; other < kKeyboardLayoutCount; ++other) {
        if (other == layout)
            continue;
        m_keyboards[other]->DetachChannel(nullptr);
        m_keyboards[other]->hide();
    }
    m_keyboards[layout]->AttachChannel(channel);
    m_keyboards[layout]->show();
    ScheduleIdleSteps();
}

void CKeyboardSet::HideKeyboard(int layout, CKprotChannel *channel)
{
    if (!KeyboardsExist() || layout < 0 || layout >= kKeyboardLayoutCount)
        return;
    if (channel)
        ReleaseChannel(channel);
    else
        StopFollowingKeyboard();
    m_keyboards[layout]->DetachChannel(channel);
    m_keyboards[layout]->hide();
    ScheduleIdleSteps();
}

void CKeyboardSet::RepositionKeyboards()
{
    if (!KeyboardsExist())
        return;
    for (CKeyboardDlg *keyboard : m_keyboards)
        keyboard->PlaceKeyboard();
}

void CKeyboardSet::StopFollowingKeyboard()
{
    for (CKeyboardDlg *keyboard : m_keyboards) {
        if (keyboard)
            keyboard->LetGoOfKeys();
    }
    m_ledger->ReleaseAll();
}

void CKeyboardSet::ReleaseChannel(CKprotChannel *channel)
{
    for (CKeyboardDlg *keyboard : m_keyboards) {
        if (keyboard && keyboard->GetChannel() == channel)
            keyboard->LetGoOfKeys();
    }
    m_ledger->ReleaseChannel(channel);
}

void CKeyboardSet::PostStopFollowing(const char *why)
{
    if (m_stopPosted)
        return;
    qCDebug(lcKeys) << "typing into the controllers stops:" << why;
    m_stopPosted = true;
    QMetaObject::invokeMethod(this, [this] {
        m_stopPosted = false;
        StopFollowingKeyboard();
    }, Qt::QueuedConnection);
}

bool CKeyboardSet::IsKeypad(const QObject *object) const
{
    for (const CKeyboardDlg *keyboard : m_keyboards) {
        if (keyboard && keyboard == object)
            return true;
    }
    return false;
}

void CKeyboardSet::ScheduleIdleSteps()
{
    if (m_idleStepsPosted)
        return;
    m_idleStepsPosted = true;
    // A posted call runs at the next turn of the event loop: events posted
    // while the loop delivers posted events wait for the turn after, so the
    // steps run at most once a turn.
    QMetaObject::invokeMethod(this, [this] {
        m_idleStepsPosted = false;
        RunIdleSteps();
    }, Qt::QueuedConnection);
}

bool CKeyboardSet::IdleStepsAllowed()
{
    if (CKprotChannel::IsAnyOperationWaiting())
        return true;
    return !QApplication::activePopupWidget() && !QApplication::activeModalWidget();
}

bool CKeyboardSet::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    // The console's activation, not the focus moving between its widgets:
    // a pass itself moves the keypad's focus between RETURN and SPACE.
    case QEvent::WindowActivate:
        // A window of the console that keeps its keys (the floor overview)
        // or a dialog became the active one.
        if (watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow()
            && watched != m_mainFrame && !IsKeypad(watched))
            PostStopFollowing("another window of the console became active");
        ScheduleIdleSteps();
        break;
    case QEvent::ApplicationDeactivate:
        PostStopFollowing("the console lost activation");
        ScheduleIdleSteps();
        break;
    case QEvent::ApplicationStateChange:
        if (static_cast<QApplicationStateChangeEvent *>(event)->applicationState()
            != Qt::ApplicationActive)
            PostStopFollowing("the console is no longer active");
        ScheduleIdleSteps();
        break;
    case QEvent::WindowDeactivate:
    case QEvent::ApplicationActivate:
        ScheduleIdleSteps();
        break;
    case QEvent::Show:
    case QEvent::Hide:
        // A keypad, a menu or a dialog coming or going.
        if (watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow()) {
            const auto *window = static_cast<QWidget *>(watched);
            // A menu, a popup, a modal dialog or a message box takes the
            // keyboard (tooltips do not).
            if (event->type() == QEvent::Show
                && (window->windowType() == Qt::Popup || window->isModal()))
                PostStopFollowing("a menu, popup or modal dialog takes the keyboard");
            ScheduleIdleSteps();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void CKeyboardSet::RunIdleSteps()
{
    if (m_inIdleSteps) {
        m_runAgain = true;
        return;
    }
    // The closing menu or dialog asks for the steps again.
    if (!IdleStepsAllowed())
        return;
    m_inIdleSteps = true;

    if (!m_screenWindows() && KeyboardsExist()) {
        qCDebug(lcKeys) << "no screen window is left";
        DestroyKeyboards();
    }
    if (KeyboardsExist()) {
        bool anyVisible = false;
        for (CKeyboardDlg *keyboard : m_keyboards)
            anyVisible = anyVisible || keyboard->isVisible();
        if (!anyVisible) {
            qCDebug(lcKeys) << "no keypad is shown";
            DestroyKeyboards();
        }
    }
    // A pass may end in a destruction (from a message box's event loop), so
    // each keypad is looked up again.
    bool passDue = false;
    for (int layout = 0; layout < kKeyboardLayoutCount; ++layout) {
        CKeyboardDlg *keyboard = m_keyboards[layout];
        if (keyboard && keyboard->isVisible() && keyboard->PollKeys())
            passDue = true;
    }

    m_inIdleSteps = false;
    for (CKeyboardDlg *keyboard : m_retired)
        delete keyboard;
    m_retired.clear();
    // A pass that changed something is followed by another, until one has
    // nothing left to do; what was asked for while the steps ran (a key
    // typed during a send's wait, a message box closed) gets a run too.
    if ((passDue || m_runAgain) && KeyboardsExist())
        ScheduleIdleSteps();
    m_runAgain = false;
}

