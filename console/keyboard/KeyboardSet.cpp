#include "KeyboardSet.h"

#include "KeyEventFilter.h"
#include "KeyboardDlg.h"

#include <QApplication>
#include <QWindow>

CKeyboardSet::CKeyboardSet(QObject *parent)
    : QObject(parent)
    , m_keyFilter(new CKeyEventFilter(this))
    , m_screenWindows([] { return true; })
{
    // Zero interval: the timer fires whenever the event queue is empty.
    m_idleTimer.setInterval(0);
    connect(&m_idleTimer, &QTimer::timeout, this, &CKeyboardSet::RunIdleSteps);
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
        m_keyboards[layout] = keyboard;
    }
    m_idleTimer.start();
}

void CKeyboardSet::DestroyKeyboards()
{
    if (!KeyboardsExist())
        return;
    m_idleTimer.stop();
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
    for (int other = 0; other < kKeyboardLayoutCount; ++other) {
        if (other == layout)
            continue;
        m_keyboards[other]->DetachChannel(nullptr);
        m_keyboards[other]->hide();
    }
    m_keyboards[layout]->AttachChannel(channel);
    m_keyboards[layout]->show();
}

void CKeyboardSet::HideKeyboard(int layout, CKprotChannel *channel)
{
    if (!KeyboardsExist() || layout < 0 || layout >= kKeyboardLayoutCount)
        return;
    m_keyboards[layout]->DetachChannel(channel);
    m_keyboards[layout]->hide();
}

void CKeyboardSet::RepositionKeyboards()
{
    if (!KeyboardsExist())
        return;
    for (CKeyboardDlg *keyboard : m_keyboards)
        keyboard->PlaceKeyboard();
}

void CKeyboardSet::RunIdleSteps()
{
    if (m_inIdleSteps)
        return;
    m_inIdleSteps = true;

    if (!m_screenWindows())
        DestroyKeyboards();
    if (KeyboardsExist()) {
        bool anyVisible = false;
        for (CKeyboardDlg *keyboard : m_keyboards)
            anyVisible = anyVisible || keyboard->isVisible();
        if (!anyVisible)
            DestroyKeyboards();
    }
    // A pass may end in a destruction (from a message box's event loop), so
    // each keypad is looked up again.
    for (int layout = 0; layout < kKeyboardLayoutCount; ++layout) {
        CKeyboardDlg *keyboard = m_keyboards[layout];
        if (keyboard && keyboard->isVisible())
            keyboard->PollKeys();
    }

    m_inIdleSteps = false;
    for (CKeyboardDlg *keyboard : m_retired)
        delete keyboard;
    m_retired.clear();
}

void CKeyboardSet::ForgetPcKeys()
{
    m_keyFilter->ReleaseAllKeys();
}
