#include "KeyMessage.h"
#include "RecordingKeyboard.h"
#include "VirtualKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QRandomGenerator>
#include <QSet>
#include <QTcpServer>
#include <QTest>

// Random operator sequences (PC keys down, up and repeating, keypad clicks,
// window switches by click and Ctrl+Tab, menus, message boxes, the console
// left and regained, the keypads off and on, another keypad announced, a
// window ending) drive the key filter, the keypads and the key ledger as
// the console does. After every step, the messages the controllers got must
// show: per controller and key, makes and breaks alternating from a make;
// no key down on a controller the keyboard stopped following; no make of a
// key held through such a stop; no Tab or F6 while Ctrl is down.

namespace {

struct PcKey
{
    int qtKey;
    quint32 scanCode;
    int virtualKey;
};
const PcKey kKeys[] = {{Qt::Key_Q, 24, 'Q'}, {Qt::Key_A, 38, 'A'}, {Qt::Key_F1, 67, VK_F1},
                       {Qt::Key_Left, 113, VK_LEFT}, {Qt::Key_Space, 65, VK_SPACE},
                       {Qt::Key_Tab, 23, VK_TAB}, {Qt::Key_F6, 72, VK_F6},
                       {Qt::Key_Shift, 50, VK_SHIFT}, {Qt::Key_Control, 37, VK_CONTROL}};
constexpr int kKeyCount = 9, kTab = 5, kShift = 7, kControl = 8, kWindows = 3;
const char *const kActions[] = {"key", "repeat", "switch", "menu", "box", "activation",
                                "Tastiera", "layout", "end", "click"};

} // namespace

class TestKeyPathModel : public QObject
{
    Q_OBJECT

private slots:
    void invariantHoldsForRandomSequences();

private:
    void Step(int action, int arg);
    void Key(int key, bool press, bool repeat = false);
    void Follow(int window);
    void Stop(CKprotChannel *channel); // the keyboard stops following it; null: all
    void Check(const char *what);
    std::unique_ptr<CKprotChannel> Open(int window);

    QTcpServer m_servers[kWindows];
    FakeKeyMap *m_map = nullptr;
    std::unique_ptr<TestKeyFilter> m_filter;
    std::unique_ptr<RecordingKeyboardSet> m_set;
    std::unique_ptr<CKprotChannel> m_channels[kWindows];
    int m_layouts[kWindows] = {};
    int m_active = 0;
    int m_shownLayout = 0;
    bool m_held[kKeyCount] = {};
    bool m_heldOver[kKeyCount] = {}; // held through a stop, not let go since
    bool m_away = false;
    ulong m_time = 1;
    QWidget m_view; // the main frame with the screen windows
    QMenu m_menu;
    QDialog m_box;
    int m_checked = 0;
    QSet<QPair<CKprotChannel *, int>> m_down; // per controller, as the wire says
    QSet<CKprotChannel *> m_stopped;
    bool m_stoppedAll = false;
};

std::unique_ptr<CKprotChannel> TestKeyPathModel::Open(int window)
{
    auto channel = std::make_unique<CKprotChannel>();
    channel->Open(m_servers[window].serverAddress().toString(), nullptr, m_servers[window].serverPort());
    while (m_servers[window].hasPendingConnections())
        delete m_servers[window].nextPendingConnection();
    return channel;
}

void TestKeyPathModel::Key(int key, bool press, bool repeat)
{
    m_held[key] = press;
    m_heldOver[key] = m_heldOver[key] && press;
    press ? void(m_map->down.insert(kKeys[key].scanCode)) : void(m_map->down.remove(kKeys[key].scanCode));
    if (m_away)
        return; // the release happens in another application
    const Qt::KeyboardModifiers modifiers((m_held[kShift] ? Qt::ShiftModifier : Qt::NoModifier)
                                          | (m_held[kControl] ? Qt::ControlModifier : Qt::NoModifier));
    const int qtKey = key == kTab && m_held[kShift] ? int(Qt::Key_Backtab) : kKeys[key].qtKey;
    QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, qtKey, modifiers, kKeys[key].scanCode, 0, 0);
    event.setTimestamp(repeat ? m_time : ++m_time);
    QWidget *popup = QApplication::activePopupWidget();
    QCoreApplication::sendEvent(popup ? popup : &m_view, &event);
    if (press && !repeat && key == kTab && m_held[kControl] && !popup)
        Follow((m_active + 1) % kWindows); // Ctrl+Tab
}

void TestKeyPathModel::Stop(CKprotChannel *channel)
{
    channel ? void(m_stopped.insert(channel)) : void(m_stoppedAll = true);
    if (!channel || channel == m_channels[m_active].get()) {
        for (int key = 0; key < kKeyCount; ++key)
            m_heldOver[key] = m_held[key];
    }
}

void TestKeyPathModel::Follow(int window)
{
    // What a screen window coming to the front does.
    const CKeyboardDlg *keypad = m_set->Keyboard(m_layouts[window]);
    if (keypad && (window != m_active || !keypad->isVisible()))
        Stop(nullptr);
    m_active = window;
    m_shownLayout = m_layouts[window];
    m_set->ShowKeyboard(m_layouts[window], m_channels[window].get());
}

void TestKeyPathModel::Step(int action, int arg)
{
    const int key = arg % kKeyCount, window = arg % kWindows;
    switch (action) {
    case 0:
        Key(key, !m_held[key]);
        break;
    case 1: // auto-repeat: a release and a press with one time stamp
        if (m_held[key]) {
            Key(key, false);
            Key(key, true, true);
        }
        break;
    case 2:
        Follow(window);
        break;
    case 3: // a menu, with a key typed into it
        m_menu.popup(QPoint(0, 0));
        Stop(nullptr);
        QCoreApplication::processEvents();
        Key(key, !m_held[key]);
        m_menu.hide();
        break;
    case 4:
        m_box.show();
        Stop(nullptr);
        QCoreApplication::processEvents();
        m_box.hide();
        break;
    case 5: {
        m_away = !m_away;
        m_filter->focus = !m_away;
        QApplicationStateChangeEvent change(m_away ? Qt::ApplicationInactive : Qt::ApplicationActive);
        QCoreApplication::sendEvent(qApp, &change);
        if (m_away)
            Stop(nullptr);
        break;
    }
    case 6:
        if (m_set->KeyboardsExist()) {
            Stop(nullptr);
            m_set->DestroyKeyboards();
        } else {
            m_set->CreateKeyboards();
            Follow(m_active);
        }
        break;
    case 7: // what the screen window does when its controller switches keypads
        m_layouts[window] = (m_layouts[window] + 1 + arg / 7 % 2) % 3;
        Stop(m_channels[window].get());
        m_set->ReleaseChannel(m_channels[window].get());
        break;
    case 8: // what a closing screen window does; its address is opened again
        Stop(m_channels[window].get());
        m_set->HideKeyboard(m_layouts[window], m_channels[window].get());
        Check("end");
        m_channels[window] = Open(window);
        if (window == m_active)
            Follow(m_active);
        break;
    default:
        if (CKeyboardDlg *keypad = m_away ? nullptr : m_set->Keyboard(m_shownLayout))
            QTest::mouseClick(keypad->KeyButton(arg % keypad->GetLayout().keys.size()), Qt::LeftButton);
        break;
    }
    QCoreApplication::processEvents();
}

void TestKeyPathModel::Check(const char *what)
{
    const auto &wire = m_set->Wire();
    const KeyboardLayout &layout = KeyboardLayoutAt(m_shownLayout);
    for (; m_checked < wire.size(); ++m_checked) {
        const quint8 flags = quint8(wire[m_checked].bytes[0]), code = quint8(wire[m_checked].bytes[1]);
        const auto key = qMakePair(wire[m_checked].channel, (flags & ~KF_BREAK) << 8 | code);
        const bool make = !(flags & KF_BREAK);
        QVERIFY2(m_down.contains(key) != make, qPrintable(QStringLiteral("%1: %2 twice").arg(what).arg(flags << 8 | code, 4, 16)));
        make ? void(m_down.insert(key)) : void(m_down.remove(key));
        if (!make)
            continue;
        // A make comes from a click or from a PC key pressed since the last
        // stop, and never from PC Tab or F6 under Ctrl.
        bool pressed = qstrcmp(what, "click") == 0;
        QVERIFY2(pressed || !(code == 0x04 || code == 0x09 || code == 0x18 || code == 0xF6)
                     || (!m_held[kControl] && !(flags & KF_CTRL)), what);
        for (const KeyDef &def : layout.keys) {
            for (int pc = 0; pc < kKeyCount; ++pc)
                pressed = pressed || ((def.code == code || def.shiftCode == code) && def.pcKey == kKeys[pc].virtualKey
                                      && m_held[pc] && !m_heldOver[pc]);
        }
        QVERIFY2(pressed, qPrintable(QStringLiteral("%1: make %2 of a key held over").arg(what).arg(code, 2, 16)));
    }
    for (const auto &down : qAsConst(m_down))
        QVERIFY2(!m_stoppedAll && !m_stopped.contains(down.first), qPrintable(QStringLiteral("%1: %2 left down").arg(what).arg(down.second, 4, 16)));
    m_stopped.clear();
    m_stoppedAll = false;
}

void TestKeyPathModel::invariantHoldsForRandomSequences()
{
    // KEY_MODEL_SEED and KEY_MODEL_SEQUENCES explore further.
    QRandomGenerator random(quint32(qEnvironmentVariableIntValue("KEY_MODEL_SEED")) + 20261208);
    const int sequences = qEnvironmentVariableIsSet("KEY_MODEL_SEQUENCES") ? qEnvironmentVariableIntValue("KEY_MODEL_SEQUENCES") : 2000;
    for (int i = 0; i < kWindows; ++i)
        QVERIFY(m_servers[i].listen(QHostAddress(QStringLiteral("127.0.21.%1").arg(i + 1))));
    m_menu.addAction(QStringLiteral("Apri"));
    m_box.setModal(true);
    m_view.show();
    auto map = std::make_unique<FakeKeyMap>();
    m_map = map.get();
    m_filter = std::make_unique<TestKeyFilter>(std::move(map));
    m_set = std::make_unique<RecordingKeyboardSet>(m_filter.get());
    m_set->SetMainFrame(&m_view);
    for (int window = 0; window < kWindows; ++window)
        m_channels[window] = Open(window);

    QElapsedTimer clock;
    clock.start();
    for (int sequence = 0; sequence < sequences; ++sequence) {
        for (int &layout : m_layouts)
            layout = int(random.bounded(3));
        if (!m_set->KeyboardsExist())
            m_set->CreateKeyboards();
        Follow(int(random.bounded(kWindows)));
        QCoreApplication::processEvents();
        Check("start");
        for (int step = 0; step < 20 && !QTest::currentTestFailed(); ++step) {
            const int action = qMax(0, int(random.bounded(18)) - 8); // keys weigh more
            Step(action, int(random.bounded(1000)));
            Check(kActions[action]);
        }
        // All let go, the keyboard stops: nothing may stay down anywhere.
        if (m_away)
            Step(5, 0);
        for (int key = 0; key < kKeyCount; ++key) {
            if (m_held[key])
                Key(key, false);
        }
        QCoreApplication::processEvents();
        Stop(nullptr);
        m_set->StopFollowingKeyboard();
        Check("all let go");
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("in sequence %1").arg(sequence)));
    }
    qInfo("%d sequences in %lld ms", sequences, clock.elapsed());
    m_set.reset();
}

QTEST_MAIN(TestKeyPathModel)
#include "tst_key_path_model.moc"
