#include "PcKeyMapping.h"
#include "RecordingKeyboard.h"
#include "VirtualKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>

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

    // A tap of another key between passes is lost, as the controller's own
    // keypad would lose it: only SPACE remembers its press.
    Press(m_target.get(), Qt::Key_A);
    Release(m_target.get(), Qt::Key_A);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray());
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

QTEST_MAIN(TestKeyboardPcKeys)
#include "tst_keyboard_pckeys.moc"
