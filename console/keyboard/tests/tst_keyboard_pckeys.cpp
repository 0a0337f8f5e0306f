#include "PcKeyMapping.h"
#include "RecordingKeyboard.h"
#include "VirtualKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

// The PC keyboard driving the keypads: key events seen by the console's key
// filter become held keys, held keys push buttons and check latches.

namespace {

void Press(QWidget *target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           quint32 scanCode = 0, bool autoRepeat = false)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, scanCode, 0, 0, QString(), autoRepeat);
    QCoreApplication::sendEvent(target, &event);
}

void Release(QWidget *target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             quint32 scanCode = 0, bool autoRepeat = false)
{
    QKeyEvent event(QEvent::KeyRelease, key, modifiers, scanCode, 0, 0, QString(), autoRepeat);
    QCoreApplication::sendEvent(target, &event);
}

// A key event as the X server's keyboard makes it: scan code and time stamp.
void Send(QWidget *target, QEvent::Type type, int key, quint32 scanCode, ulong time,
          bool autoRepeat = false)
{
    QKeyEvent event(type, key, Qt::NoModifier, scanCode, 0, 0, QString(), autoRepeat);
    event.setTimestamp(time);
    QCoreApplication::sendEvent(target, &event);
}

// X key code of Q on a PC keyboard.
constexpr quint32 kScanQ = 24;

} // namespace

class TestKeyboardPcKeys : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void pcKeyMirrorsButton_data();
    void pcKeyMirrorsButton();
    void pcModifiersMirrorLatches_data();
    void pcModifiersMirrorLatches();
    void releasingPcShiftUnchecksMouseLatch();
    void nothingSentWhileAnotherApplicationIsActive();
    void deactivationLetsGoOfHeldKeys();
    void autoRepeatKeepsKeyHeld();
    void keyReleasedUnderAnotherCharacter();
    void twoPhysicalKeysForOneVirtualKey();
    void spaceTapBetweenPasses();
    void escAndEnterLeaveWindowOpen();
    void heldKeyWithAutoRepeatSendsOnce_data();
    void heldKeyWithAutoRepeatSendsOnce();
    void keyPressedElsewhereIsNotHeld_data();
    void keyPressedElsewhereIsNotHeld();
    void keyHeldBeforeMenuOpenedBreaksOnRelease();
    void keyMapShowsWhatIsHeld();
    void manyKeysTypedWithoutAPass();

private:
    RecordingKeyboard *Make(int layout);

    std::unique_ptr<TestKeyFilter> m_filter;
    std::unique_ptr<RecordingKeyboard> m_keyboard;
    std::unique_ptr<QWidget> m_target; // stands for the screen window with the focus
    CKprotChannel m_channel;
};

void TestKeyboardPcKeys::init()
{
    m_filter = std::make_unique<TestKeyFilter>();
    m_target = std::make_unique<QWidget>();
}

void TestKeyboardPcKeys::cleanup()
{
    m_keyboard.reset();
    m_target.reset();
    m_filter.reset();
}

RecordingKeyboard *TestKeyboardPcKeys::Make(int layout)
{
    m_keyboard = std::make_unique<RecordingKeyboard>(layout, m_filter.get());
    m_keyboard->AttachChannel(&m_channel);
    return m_keyboard.get();
}

void TestKeyboardPcKeys::pcKeyMirrorsButton_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("button"); // empty: no keypad key answers
    QTest::addColumn<QByteArray>("make");

    const int none = Qt::NoModifier;
    const int keypad = Qt::KeypadModifier;
    QTest::newRow("1: F10 is F0") << 1 << int(Qt::Key_F10) << none << "F0" << KeyMessageBytes(0x00, 0xF0);
    QTest::newRow("0: F10 is F0") << 0 << int(Qt::Key_F10) << none << "F0" << KeyMessageBytes(0x10, 0x12);
    QTest::newRow("2: F8") << 2 << int(Qt::Key_F8) << none << "F8" << KeyMessageBytes(0x00, 0xF8);
    QTest::newRow("2: F9 has no key") << 2 << int(Qt::Key_F9) << none << "" << QByteArray();
    QTest::newRow("0: Home is HELP") << 0 << int(Qt::Key_Home) << none << "HELP" << KeyMessageBytes(0x10, 0x0B);
    QTest::newRow("1: Page Up") << 1 << int(Qt::Key_PageUp) << none << "FRECCETTONE SU" << KeyMessageBytes(0x00, 0xEB);
    QTest::newRow("2: Page Up") << 2 << int(Qt::Key_PageUp) << none << "FRECCETTONE SU" << KeyMessageBytes(0x00, 0xE5);
    QTest::newRow("2: Page Down") << 2 << int(Qt::Key_PageDown) << none << "FRECCETTONE GIU" << KeyMessageBytes(0x00, 0xE6);
    QTest::newRow("0: Return") << 0 << int(Qt::Key_Return) << none << "RETURN" << KeyMessageBytes(0x10, 0x05);
    QTest::newRow("1: keypad Enter") << 1 << int(Qt::Key_Enter) << keypad << "RETURN" << KeyMessageBytes(0x00, 0x0D);
    QTest::newRow("1: Esc") << 1 << int(Qt::Key_Escape) << none << "ESC" << KeyMessageBytes(0x00, 0x1B);
    QTest::newRow("0: Delete") << 0 << int(Qt::Key_Delete) << none << "DEL" << KeyMessageBytes(0x10, 0x02);
    QTest::newRow("1: Tab") << 1 << int(Qt::Key_Tab) << none << "TAB" << KeyMessageBytes(0x00, 0x09);
    QTest::newRow("1: Shift+Tab still Tab") << 1 << int(Qt::Key_Backtab) << none << "TAB" << KeyMessageBytes(0x00, 0x09);
    QTest::newRow("2: Left") << 2 << int(Qt::Key_Left) << none << "FRECCIA SINISTRA" << KeyMessageBytes(0x00, 0xE0);
    QTest::newRow("0: Down") << 0 << int(Qt::Key_Down) << none << "FRECCIA GIU" << KeyMessageBytes(0x10, 0x0A);
    QTest::newRow("0: letter Q") << 0 << int(Qt::Key_Q) << none << "Q" << KeyMessageBytes(0x00, 0x51);
    QTest::newRow("2: no letters") << 2 << int(Qt::Key_Q) << none << "" << QByteArray();
    QTest::newRow("1: main-block 7") << 1 << int(Qt::Key_7) << none << "7" << KeyMessageBytes(0x00, 0x37);
    QTest::newRow("1: keypad 7 ignored") << 1 << int(Qt::Key_7) << keypad << "" << QByteArray();
    QTest::newRow("1: = has no PC key") << 1 << int(Qt::Key_Equal) << none << "" << QByteArray();
    QTest::newRow("2: Space") << 2 << int(Qt::Key_Space) << none << "SPACE" << KeyMessageBytes(0x00, 0x20);
}

void TestKeyboardPcKeys::pcKeyMirrorsButton()
{
    QFETCH(int, layout);
    QFETCH(int, qtKey);
    QFETCH(int, modifiers);
    QFETCH(QString, button);
    QFETCH(QByteArray, make);

    RecordingKeyboard *keyboard = Make(layout);
    const auto mods = Qt::KeyboardModifiers(modifiers);
    Press(m_target.get(), qtKey, mods);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), make);
    if (!button.isEmpty())
        QVERIFY(keyboard->Key(button.toLatin1().constData())->isDown());
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray());

    Release(m_target.get(), qtKey, mods);
    keyboard->PollKeys();
    QByteArray release = make;
    if (!release.isEmpty())
        release[0] = char(release[0] | 0x01);
    QCOMPARE(keyboard->TakeSent(), release);
    if (!button.isEmpty())
        QVERIFY(!keyboard->Key(button.toLatin1().constData())->isDown());
}

void TestKeyboardPcKeys::pcModifiersMirrorLatches_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("modifier");
    QTest::addColumn<QString>("latch");
    QTest::addColumn<QByteArray>("expected"); // Q or 2 pressed under the latch

    QTest::newRow("0: Shift") << 0 << int(Qt::Key_Shift) << "SHIFT"
                              << KeyMessageBytes(0x04, 0x71) + KeyMessageBytes(0x05, 0x71);
    QTest::newRow("0: Ctrl") << 0 << int(Qt::Key_Control) << "CTRL"
                             << KeyMessageBytes(0x02, 0x51) + KeyMessageBytes(0x03, 0x51);
    QTest::newRow("0: Alt is ENT") << 0 << int(Qt::Key_Alt) << "ENT"
                                   << KeyMessageBytes(0x08, 0x51) + KeyMessageBytes(0x09, 0x51);
    QTest::newRow("1: F12 is FN") << 1 << int(Qt::Key_F12) << "FN"
                                  << KeyMessageBytes(0x02, 0x51) + KeyMessageBytes(0x03, 0x51);
    QTest::newRow("2: Alt") << 2 << int(Qt::Key_Alt) << "ALT"
                            << KeyMessageBytes(0x08, 0x32) + KeyMessageBytes(0x09, 0x32);
}

void TestKeyboardPcKeys::pcModifiersMirrorLatches()
{
    QFETCH(int, layout);
    QFETCH(int, modifier);
    QFETCH(QString, latch);
    QFETCH(QByteArray, expected);

    RecordingKeyboard *keyboard = Make(layout);
    const int key = layout == 2 ? Qt::Key_2 : Qt::Key_Q;
    Press(m_target.get(), modifier);
    keyboard->PollKeys();
    QVERIFY(keyboard->Latch(latch.toLatin1().constData())->isChecked());
    Press(m_target.get(), key);
    keyboard->PollKeys();
    Release(m_target.get(), key);
    keyboard->PollKeys();
    Release(m_target.get(), modifier);
    keyboard->PollKeys();
    QVERIFY(!keyboard->Latch(latch.toLatin1().constData())->isChecked());
    QCOMPARE(keyboard->TakeSent(), expected);
}

void TestKeyboardPcKeys::releasingPcShiftUnchecksMouseLatch()
{
    RecordingKeyboard *keyboard = Make(0);
    keyboard->show();
    QTest::mouseClick(keyboard->Latch("SHIFT"), Qt::LeftButton);
    QVERIFY(keyboard->Latch("SHIFT")->isChecked());
    Press(m_target.get(), Qt::Key_Shift);
    keyboard->PollKeys();
    QVERIFY(keyboard->Latch("SHIFT")->isChecked());
    Release(m_target.get(), Qt::Key_Shift);
    keyboard->PollKeys();
    QVERIFY(!keyboard->Latch("SHIFT")->isChecked());
}

void TestKeyboardPcKeys::nothingSentWhileAnotherApplicationIsActive()
{
    RecordingKeyboard *keyboard = Make(1);
    m_filter->focus = false;
    Press(m_target.get(), Qt::Key_A);
    keyboard->Key("B")->setDown(true); // not even mouse-held keys
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray());
    QVERIFY(!keyboard->Key("A")->isDown());

    m_filter->focus = true;
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x41) + KeyMessageBytes(0x00, 0x42));
}

void TestKeyboardPcKeys::deactivationLetsGoOfHeldKeys()
{
    // The release of a key let go while another application is active never
    // reaches the console; the key must not stay down for ever.
    RecordingKeyboard *keyboard = Make(0);
    Press(m_target.get(), Qt::Key_A);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x41));

    QEvent deactivate(QEvent::ApplicationDeactivate);
    QCoreApplication::sendEvent(qApp, &deactivate);
    m_filter->focus = false;
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray()); // nothing while away

    m_filter->focus = true;
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x01, 0x41));
    Release(m_target.get(), Qt::Key_A); // the late release changes nothing
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray());
}

void TestKeyboardPcKeys::autoRepeatKeepsKeyHeld()
{
    RecordingKeyboard *keyboard = Make(1);
    Press(m_target.get(), Qt::Key_Right, Qt::NoModifier, 114);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0xE1));
    for (int i = 0; i < 3; ++i) {
        // The window system repeats a held key as release-press pairs.
        Release(m_target.get(), Qt::Key_Right, Qt::NoModifier, 114, true);
        keyboard->PollKeys();
        Press(m_target.get(), Qt::Key_Right, Qt::NoModifier, 114, true);
        keyboard->PollKeys();
    }
    QCOMPARE(keyboard->TakeSent(), QByteArray());
    Release(m_target.get(), Qt::Key_Right, Qt::NoModifier, 114);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x01, 0xE1));
}

void TestKeyboardPcKeys::keyReleasedUnderAnotherCharacter()
{
    // 1 pressed alone, released while Shift is down: the release reports '!'.
    RecordingKeyboard *keyboard = Make(1);
    Press(m_target.get(), Qt::Key_1, Qt::NoModifier, 10);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x31));
    Press(m_target.get(), Qt::Key_Shift, Qt::NoModifier, 50);
    Release(m_target.get(), Qt::Key_Exclam, Qt::ShiftModifier, 10);
    keyboard->PollKeys();
    // The PC Shift latches SHIFT, which takes over the pass: the plain break
    // of 1 waits until SHIFT is let go.
    Release(m_target.get(), Qt::Key_Shift, Qt::ShiftModifier, 50);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x01, 0x31));
    QVERIFY(!m_filter->IsKeyHeld('1'));
}

void TestKeyboardPcKeys::twoPhysicalKeysForOneVirtualKey()
{
    Press(m_target.get(), Qt::Key_Shift, Qt::NoModifier, 50);  // left Shift
    Press(m_target.get(), Qt::Key_Shift, Qt::ShiftModifier, 62); // right Shift
    Release(m_target.get(), Qt::Key_Shift, Qt::ShiftModifier, 50);
    QVERIFY(m_filter->IsKeyHeld(VK_SHIFT));
    Release(m_target.get(), Qt::Key_Shift, Qt::NoModifier, 62);
    QVERIFY(!m_filter->IsKeyHeld(VK_SHIFT));
}

void TestKeyboardPcKeys::spaceTapBetweenPasses()
{
    RecordingKeyboard *keyboard = Make(0);
    Press(m_target.get(), Qt::Key_Space);
    Release(m_target.get(), Qt::Key_Space);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x20));
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x01, 0x20));
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray());

    // So does a tap of any other key.
    Press(m_target.get(), Qt::Key_A);
    Release(m_target.get(), Qt::Key_A);
    keyboard->PollKeys();
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x41) + KeyMessageBytes(0x01, 0x41));
}

void TestKeyboardPcKeys::escAndEnterLeaveWindowOpen()
{
    RecordingKeyboard *keyboard = Make(0);
    keyboard->show();
    QVERIFY(QTest::qWaitForWindowExposed(keyboard));
    keyboard->activateWindow();
    for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyPress(keyboard, Qt::Key(key));
        keyboard->PollKeys();
        QTest::keyRelease(keyboard, Qt::Key(key));
        keyboard->PollKeys();
        QVERIFY(keyboard->isVisible());
    }
    QCOMPARE(keyboard->TakeSent(),
             KeyMessageBytes(0x10, 0x06) + KeyMessageBytes(0x11, 0x06)
                 + KeyMessageBytes(0x10, 0x05) + KeyMessageBytes(0x11, 0x05)
                 + KeyMessageBytes(0x10, 0x05) + KeyMessageBytes(0x11, 0x05));
    keyboard->close();
    keyboard->reject();
    QVERIFY(keyboard->isVisible());
}

void TestKeyboardPcKeys::heldKeyWithAutoRepeatSendsOnce_data()
{
    QTest::addColumn<bool>("keyMap");
    QTest::addColumn<bool>("releaseMarked");
    QTest::addColumn<bool>("pressMarked");
    QTest::addColumn<bool>("passBetween"); // a pass between a repeat's release and press

    // The window system does not always mark the repeat's release, or
    // either event; the repeat's press comes with the release's time stamp.
    QTest::newRow("events: both marked") << false << true << true << true;
    QTest::newRow("events: release not marked") << false << false << true << false;
    QTest::newRow("events: neither marked") << false << false << false << false;
    QTest::newRow("key map: neither marked") << true << false << false << false;
    QTest::newRow("key map: neither marked, pass between") << true << false << false << true;
    QTest::newRow("key map: release not marked, pass between") << true << false << true << true;
}

void TestKeyboardPcKeys::heldKeyWithAutoRepeatSendsOnce()
{
    QFETCH(bool, keyMap);
    QFETCH(bool, releaseMarked);
    QFETCH(bool, pressMarked);
    QFETCH(bool, passBetween);

    FakeKeyMap *map = nullptr;
    if (keyMap) {
        auto owned = std::make_unique<FakeKeyMap>();
        map = owned.get();
        m_filter = std::make_unique<TestKeyFilter>(std::move(owned));
    }
    RecordingKeyboard *keyboard = Make(1);
    QWidget *target = m_target.get();

    // Held for a while: the first press, then a repeat every 40 ms.
    ulong time = 1000;
    if (map)
        map->down.insert(kScanQ);
    Send(target, QEvent::KeyPress, Qt::Key_Q, kScanQ, time);
    keyboard->PollKeys();
    for (int i = 0; i < 25; ++i) {
        time += 40;
        Send(target, QEvent::KeyRelease, Qt::Key_Q, kScanQ, time, releaseMarked);
        if (passBetween)
            keyboard->PollKeys();
        Send(target, QEvent::KeyPress, Qt::Key_Q, kScanQ, time, pressMarked);
        keyboard->PollKeys();
    }
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x51));

    // Let go; without a key map the release waits for a repeat first.
    time += 15;
    if (map)
        map->down.remove(kScanQ);
    Send(target, QEvent::KeyRelease, Qt::Key_Q, kScanQ, time);
    keyboard->PollKeys();
    if (!map)
        QTest::qWait(CKeyEventFilter::kReleaseSettleMs + 10);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x01, 0x51));

    // Pressed again a little later: a new make.
    time += 200;
    if (map)
        map->down.insert(kScanQ);
    Send(target, QEvent::KeyPress, Qt::Key_Q, kScanQ, time);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x51));
}

void TestKeyboardPcKeys::keyPressedElsewhereIsNotHeld_data()
{
    QTest::addColumn<QString>("owner");
    QTest::newRow("popup menu") << "menu";
    QTest::newRow("modal dialog") << "dialog";
    QTest::newRow("text field") << "field";
}

void TestKeyboardPcKeys::keyPressedElsewhereIsNotHeld()
{
    QFETCH(QString, owner);
    RecordingKeyboard *keyboard = Make(1);
    QWidget *main = m_target.get();

    // What has the keyboard while the key goes down.
    QMenu menu;
    menu.addAction(QStringLiteral("&Tastiera"));
    QDialog dialog;
    QWidget form;
    auto *field = new QLineEdit(&form);
    QWidget *receiver = nullptr;
    if (owner == QLatin1String("menu")) {
        menu.popup(QPoint(10, 10));
        QTRY_COMPARE(QApplication::activePopupWidget(), &menu);
        receiver = &menu;
    } else if (owner == QLatin1String("dialog")) {
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        QTRY_COMPARE(QApplication::activeModalWidget(), &dialog);
        receiver = &dialog;
    } else {
        form.show();
        QApplication::setActiveWindow(&form);
        field->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), field);
        receiver = field;
    }

    ulong time = 5000;
    Send(receiver, QEvent::KeyPress, Qt::Key_Q, kScanQ, time);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray());

    // Closed while Q is still held: its repeats now reach the console, and
    // still do not make it held.
    menu.hide();
    dialog.hide();
    form.hide();
    QTRY_VERIFY(!QApplication::activePopupWidget() && !QApplication::activeModalWidget());
    keyboard->PollKeys();
    for (int i = 0; i < 3; ++i) {
        time += 40;
        Send(main, QEvent::KeyRelease, Qt::Key_Q, kScanQ, time, i == 0);
        keyboard->PollKeys();
        Send(main, QEvent::KeyPress, Qt::Key_Q, kScanQ, time, i == 1);
        keyboard->PollKeys();
    }
    Send(main, QEvent::KeyRelease, Qt::Key_Q, kScanQ, time + 10);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray());

    // Released and pressed again for the console: now it counts.
    Send(main, QEvent::KeyPress, Qt::Key_Q, kScanQ, time + 300);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x51));
}

void TestKeyboardPcKeys::keyHeldBeforeMenuOpenedBreaksOnRelease()
{
    RecordingKeyboard *keyboard = Make(1);
    QWidget *main = m_target.get();
    Send(main, QEvent::KeyPress, Qt::Key_A, 38, 100);
    Send(main, QEvent::KeyPress, Qt::Key_S, 39, 110);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x41) + KeyMessageBytes(0x00, 0x53));

    QMenu menu;
    menu.addAction(QStringLiteral("&Apri"));
    menu.popup(QPoint(10, 10));
    QTRY_COMPARE(QApplication::activePopupWidget(), &menu);
    // A let go inside the menu; S let go and pressed again into the menu.
    Send(&menu, QEvent::KeyRelease, Qt::Key_A, 38, 500);
    Send(&menu, QEvent::KeyRelease, Qt::Key_S, 39, 520);
    Send(&menu, QEvent::KeyPress, Qt::Key_S, 39, 700);
    menu.hide();
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QTest::qWait(CKeyEventFilter::kReleaseSettleMs + 10);

    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x01, 0x41) + KeyMessageBytes(0x01, 0x53));
    Send(main, QEvent::KeyRelease, Qt::Key_S, 39, 900);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray());
}

void TestKeyboardPcKeys::keyMapShowsWhatIsHeld()
{
    auto owned = std::make_unique<FakeKeyMap>();
    FakeKeyMap *map = owned.get();
    m_filter = std::make_unique<TestKeyFilter>(std::move(owned));
    RecordingKeyboard *keyboard = Make(0);
    QWidget *main = m_target.get();

    // Down on the keyboard but never pressed for the console (held since
    // another application had it): nothing.
    map->down.insert(kScanQ);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray());

    // Pressed for the console; a release the key map contradicts is a
    // repeat's, one it confirms lets go.
    map->down.insert(38);
    Send(main, QEvent::KeyPress, Qt::Key_A, 38, 100);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x41));
    Send(main, QEvent::KeyRelease, Qt::Key_A, 38, 140);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray());
    map->down.remove(38);
    Send(main, QEvent::KeyRelease, Qt::Key_A, 38, 180);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x01, 0x41));

    // A display that stops answering leaves the key events to decide.
    map->readable = false;
    Send(main, QEvent::KeyPress, Qt::Key_W, 25, 300);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x57));
    Send(main, QEvent::KeyRelease, Qt::Key_W, 25, 400);
    QTest::qWait(CKeyEventFilter::kReleaseSettleMs + 10);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x01, 0x57));
}

void TestKeyboardPcKeys::manyKeysTypedWithoutAPass()
{
    // Typing on while no keypad is shown runs no pass; the keys let go
    // meanwhile must not crowd out the next one.
    RecordingKeyboard *keyboard = Make(1);
    QList<int> typed;
    for (int key = Qt::Key_A; key <= Qt::Key_Z; ++key) {
        if (key != Qt::Key_Q)
            typed << key;
    }
    for (int key = Qt::Key_0; key <= Qt::Key_9; ++key)
        typed << key;
    for (int key = Qt::Key_F1; key <= Qt::Key_F9; ++key)
        typed << key;
    for (int key : qAsConst(typed)) {
        Press(m_target.get(), key);
        Release(m_target.get(), key);
    }
    // Showing the keypad for a screen window starts with every key up.
    keyboard->LetGoOfKeys();
    Press(m_target.get(), Qt::Key_Q);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x51));
}

QTEST_MAIN(TestKeyboardPcKeys)
#include "tst_keyboard_pckeys.moc"
