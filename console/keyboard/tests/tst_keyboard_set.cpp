#include "KeyboardDlg.h"
#include "KeyMessage.h"
#include "LogCapture.h"
#include "LoopbackServer.h"
#include "RecordingKeyboard.h"
#include "RecordingMessages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <memory>

// The application's three keypads: showing and hiding them for screen
// windows, the idle steps, placement, and failing sends.

namespace {

// A message box that, like the real one, runs its own event loop while it is
// open; it counts how many boxes are open at once.
class LoopingMessages final : public UserMessages
{
public:
    LoopingMessages() { SetMessages(this); }
    ~LoopingMessages() override { SetMessages(nullptr); }

    void Show(const QString &, const QString &text, MessageIcon) override
    {
        texts << text;
        ++open;
        deepest = qMax(deepest, open);
        if (whileOpen)
            QTimer::singleShot(5, whileOpen);
        QEventLoop loop;
        QTimer::singleShot(60, &loop, &QEventLoop::quit);
        loop.exec();
        --open;
    }

    QStringList texts;
    int open = 0;
    int deepest = 0;
    std::function<void()> whileOpen;
};

} // namespace

class TestKeyboardSet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void showAndHideFollowTheScreenWindows();
    void heldKeyBreaksOnTheChannelOfItsMake();
    void tastieraOffAndOnStartsAfresh();
    void idleStepsDestroyWhenNothingShows();
    void idleStepsPollTheVisibleKeypad();
    void failingSendsDoNotStackMessageBoxes();
    void destroyingWhileAMessageBoxIsOpen();
    void placedCentredOnTheMainFrameBottom();
    void idleKeypadRunsNoPass();
    void passesGoOnUntilNothingChanges();
    void noPassWhileAMenuOrModalDialogIsOpen_data();
    void noPassWhileAMenuOrModalDialogIsOpen();
    void passRunsInsideAChannelWaitUnderADialog();
    void keysAndChannelTellWhatHappened();

private:
    FakeKeyState m_keys;
    std::unique_ptr<RecordingKeyboardSet> m_set;
    std::unique_ptr<LoopbackServer> m_serverA;
    std::unique_ptr<LoopbackServer> m_serverB;
    std::unique_ptr<CKprotChannel> m_channelA;
    std::unique_ptr<CKprotChannel> m_channelB;
};

void TestKeyboardSet::initTestCase()
{
    // Two controllers on their own loopback addresses, so the hosts differ.
    m_serverA = std::make_unique<LoopbackServer>(QHostAddress(QStringLiteral("127.0.0.1")));
    m_serverB = std::make_unique<LoopbackServer>(QHostAddress(QStringLiteral("127.0.0.3")));
    QVERIFY(m_serverA->isListening());
    QVERIFY(m_serverB->isListening());
}

void TestKeyboardSet::init()
{
    m_keys = FakeKeyState();
    m_set = std::make_unique<RecordingKeyboardSet>(&m_keys);
    m_channelA = std::make_unique<CKprotChannel>();
    m_channelB = std::make_unique<CKprotChannel>();
    m_channelA->Open(m_serverA->host(), nullptr, m_serverA->port());
    m_channelB->Open(m_serverB->host(), nullptr, m_serverB->port());
    QVERIFY(m_channelA->IsOpen());
    QVERIFY(m_channelB->IsOpen());
}

void TestKeyboardSet::cleanup()
{
    m_set.reset();
    m_channelA.reset();
    m_channelB.reset();
}

void TestKeyboardSet::showAndHideFollowTheScreenWindows()
{
    m_set->ShowKeyboard(0, m_channelA.get()); // keypads off: nothing
    QVERIFY(!m_set->KeyboardsExist());

    m_set->CreateKeyboards();
    QVERIFY(m_set->KeyboardsExist());
    for (int layout = 0; layout < 3; ++layout)
        QVERIFY(!m_set->Keyboard(layout)->isVisible());

    m_set->ShowKeyboard(1, m_channelA.get());
    QVERIFY(m_set->Keyboard(1)->isVisible());
    QCOMPARE(m_set->Keyboard(1)->windowTitle(), QStringLiteral("127.0.0.1"));
    QCOMPARE(m_set->Keyboard(1)->GetChannel(), m_channelA.get());

    // Another screen window with another layout takes over.
    m_set->ShowKeyboard(2, m_channelB.get());
    QVERIFY(!m_set->Keyboard(1)->isVisible());
    QVERIFY(!m_set->Keyboard(1)->GetChannel());
    QVERIFY(m_set->Keyboard(2)->isVisible());
    QCOMPARE(m_set->Keyboard(2)->windowTitle(), QStringLiteral("127.0.0.3"));

    // Closing a screen window of another host leaves the keypad attached.
    m_set->HideKeyboard(2, m_channelA.get());
    QVERIFY(!m_set->Keyboard(2)->isVisible());
    QCOMPARE(m_set->Keyboard(2)->GetChannel(), m_channelB.get());
    m_set->HideKeyboard(2, m_channelB.get());
    QVERIFY(!m_set->Keyboard(2)->GetChannel());

    // The same keypad re-attached to another channel gets its caption.
    m_set->ShowKeyboard(2, m_channelA.get());
    QCOMPARE(m_set->Keyboard(2)->windowTitle(), QStringLiteral("127.0.0.1"));
    m_set->HideKeyboard(7, m_channelA.get()); // no such layout: nothing
    QVERIFY(m_set->Keyboard(2)->isVisible());
}

void TestKeyboardSet::heldKeyBreaksOnTheChannelOfItsMake()
{
    m_set->CreateKeyboards();
    m_set->ShowKeyboard(0, m_channelA.get());
    m_keys.held.insert('Z');
    m_set->RunIdleSteps();
    QCOMPARE(m_set->Wire().size(), 1);
    QCOMPARE(m_set->Wire()[0].channel, m_channelA.get());

    // The keypad follows another screen window while Z is still held: A
    // gets its break at once, B nothing, not even when Z is let go.
    m_set->ShowKeyboard(0, m_channelB.get());
    QCOMPARE(m_set->Wire().size(), 2);
    QCOMPARE(m_set->Wire()[1].channel, m_channelA.get());
    QCOMPARE(m_set->Wire()[1].bytes, KeyMessageBytes(0x01, 0x5A));
    m_set->RunIdleSteps();
    m_keys.held.remove('Z');
    m_set->RunIdleSteps();
    QCOMPARE(m_set->Wire().size(), 2);
    // Pressed again, it goes to B.
    m_keys.held.insert('Z');
    m_set->RunIdleSteps();
    QCOMPARE(m_set->Wire().size(), 3);
    QCOMPARE(m_set->Wire()[2].channel, m_channelB.get());
}

void TestKeyboardSet::tastieraOffAndOnStartsAfresh()
{
    m_set->CreateKeyboards();
    m_set->ShowKeyboard(1, m_channelA.get());
    m_set->Recording(1)->Latch("CTRL")->setChecked(true);
    m_keys.held.insert('Q');
    m_set->RunIdleSteps();
    QCOMPARE(m_set->Recording(1)->TakeSent(), KeyMessageBytes(0x02, 0x51));

    // "Tastiera" off: the break goes out; on again: nothing remembered.
    m_set->DestroyKeyboards();
    QCOMPARE(m_set->Wire().constLast().bytes, KeyMessageBytes(0x03, 0x51));
    QVERIFY(!m_set->KeyboardsExist());
    m_keys.held.remove('Q');
    m_set->CreateKeyboards();
    m_set->ShowKeyboard(1, m_channelB.get());
    QCOMPARE(m_set->Keyboard(1)->windowTitle(), QStringLiteral("127.0.0.3"));
    QVERIFY(!m_set->Recording(1)->Latch("CTRL")->isChecked());
    m_set->RunIdleSteps();
    QCOMPARE(m_set->Recording(1)->TakeSent(), QByteArray());
}

void TestKeyboardSet::idleStepsDestroyWhenNothingShows()
{
    // The screen window whose keypad shows is closed: gone at the next idle moment.
    m_set->CreateKeyboards();
    m_set->ShowKeyboard(0, m_channelA.get());
    m_set->HideKeyboard(0, m_channelA.get());
    QVERIFY(m_set->KeyboardsExist());
    QTRY_VERIFY(!m_set->KeyboardsExist());

    // The last screen window is gone, though a keypad still shows.
    bool screenWindows = true;
    m_set->SetScreenWindowProbe([&screenWindows] { return screenWindows; });
    m_set->CreateKeyboards();
    m_set->ShowKeyboard(2, m_channelA.get());
    QTest::qWait(20);
    QVERIFY(m_set->KeyboardsExist());
    screenWindows = false;
    m_set->ScheduleIdleSteps(); // as the application does when a screen window goes
    QTRY_VERIFY(!m_set->KeyboardsExist());
}

void TestKeyboardSet::idleStepsPollTheVisibleKeypad()
{
    m_set->CreateKeyboards();
    m_set->ShowKeyboard(2, m_channelA.get());
    // Driven by the event loop alone, the way the console runs.
    QTest::mousePress(m_set->Recording(2)->Key("TARTARUGA"), Qt::LeftButton);
    QTRY_COMPARE(m_set->Recording(2)->messages.size(), 1);
    QTest::mouseRelease(m_set->Recording(2)->Key("TARTARUGA"), Qt::LeftButton);
    QTRY_COMPARE(m_set->Recording(2)->messages.size(), 2);
    QCOMPARE(m_set->Recording(2)->TakeSent(), KeyMessageBytes(0x00, 0xEC) + KeyMessageBytes(0x01, 0xEC));
    QVERIFY(m_set->Recording(0)->messages.isEmpty());
}

void TestKeyboardSet::failingSendsDoNotStackMessageBoxes()
{
    // Every send fails with a box; while it is open the operator goes on
    // typing on the PC keyboard.
    LoopingMessages boxes;
    m_set->CreateKeyboards();
    m_set->ShowKeyboard(0, m_channelA.get());
    RecordingKeyboard *keyboard = m_set->Recording(0);
    keyboard->afterSend = [] {
        ShowMessage(QStringLiteral("Errore trasmissione canale KPROT"), MessageIcon::Exclamation);
    };
    int typed = 0;
    boxes.whileOpen = [this, &typed] {
        const int key = 'A' + typed++ % 26;
        if (m_keys.held.contains(key))
            m_keys.held.remove(key);
        else
            m_keys.held.insert(key);
        // Qt never re-enters the idle timer's own slot; any other road into
        // the idle steps (a second idle source) must find them guarded too.
        m_set->RunIdleSteps();
    };
    m_keys.held.insert('Q');
    QTRY_VERIFY(typed >= 6);
    m_keys.held.clear();
    m_set->ScheduleIdleSteps(); // the key events of the releases
    boxes.whileOpen = nullptr;
    QTRY_COMPARE(boxes.open, 0);
    QTest::qWait(100);

    QCOMPARE(boxes.deepest, 1);
    QCOMPARE(boxes.texts.size(), keyboard->messages.size());
    // Every key that went down came up again: the changes were sent after
    // each box closed, not lost or duplicated.
    int down = 0;
    for (const auto &message : keyboard->messages)
        down += (message.bytes[0] & 0x01) ? -1 : 1;
    QCOMPARE(down, 0);
}

void TestKeyboardSet::destroyingWhileAMessageBoxIsOpen()
{
    LoopingMessages boxes;
    m_set->CreateKeyboards();
    m_set->ShowKeyboard(1, m_channelA.get());
    m_set->Recording(1)->afterSend = [] {
        ShowMessage(QStringLiteral("Errore trasmissione canale KPROT"), MessageIcon::Exclamation);
    };
    // "Tastiera" given (or the last screen window closed) while the box of a
    // failed send is open, above the pass that sent.
    boxes.whileOpen = [this] { m_set->DestroyKeyboards(); };
    m_keys.held.insert('F');
    m_keys.held.insert('G');
    QTRY_VERIFY(!m_set->KeyboardsExist());
    QTRY_COMPARE(boxes.open, 0);
    QCOMPARE(boxes.deepest, 1);
    m_set->CreateKeyboards();
    QVERIFY(m_set->KeyboardsExist());
}

void TestKeyboardSet::placedCentredOnTheMainFrameBottom()
{
    QWidget mainFrame;
    mainFrame.setGeometry(100, 50, 801, 600);
    m_set->SetMainFrame(&mainFrame);
    m_set->CreateKeyboards();
    m_set->ShowKeyboard(0, m_channelA.get());

    const auto check = [&mainFrame](CKeyboardDlg *keyboard) {
        const QRect m = mainFrame.frameGeometry();
        const QRect k = keyboard->frameGeometry();
        QCOMPARE(k.y() + k.height(), m.y() + m.height());
        QCOMPARE(k.x(), m.x() + (m.width() - k.width()) / 2);
    };
    for (int layout = 0; layout < 3; ++layout)
        check(m_set->Keyboard(layout));

    // Narrower than the keypad: the division truncates towards zero.
    mainFrame.setGeometry(100, 50, 301, 400);
    m_set->RepositionKeyboards();
    const QRect k = m_set->Keyboard(0)->frameGeometry();
    QCOMPARE(k.x(), 100 + (301 - k.width()) / 2);
    QVERIFY((301 - k.width()) % 2 != 0); // a case where floor would differ
    check(m_set->Keyboard(0));

    // A keypad moved by the operator stays until the next resize.
    m_set->Keyboard(0)->move(5, 5);
    QCOMPARE(m_set->Keyboard(0)->frameGeometry().topLeft(), QPoint(5, 5));
}

void TestKeyboardSet::idleKeypadRunsNoPass()
{
    m_set->CreateKeyboards();
    m_set->ShowKeyboard(1, m_channelA.get());
    QTest::qWait(50);
    const int settled = m_keys.passes;
    QVERIFY(settled >= 1);
    QTest::qWait(300);
    QCOMPARE(m_keys.passes, settled);

    // Many requests before the event loop turns make one pass.
    for (int i = 0; i < 20; ++i)
        m_set->ScheduleIdleSteps();
    QCoreApplication::processEvents();
    QCOMPARE(m_keys.passes, settled + 1);
    QCoreApplication::processEvents();
    QCOMPARE(m_keys.passes, settled + 1);

    // PC Enter and Space held together in the active keypad: each pass
    // moves the keypad's focus to RETURN and back to SPACE, which is no
    // reason for another pass.
    RecordingKeyboard *keyboard = m_set->Recording(1);
    QApplication::setActiveWindow(keyboard);
    QTRY_COMPARE(QApplication::activeWindow(), keyboard);
    m_keys.held << VK_RETURN << VK_SPACE;
    m_set->ScheduleIdleSteps();
    QTest::qWait(300);
    QVERIFY2(m_keys.passes < settled + 10, qPrintable(QString::number(m_keys.passes - settled)));
    // SPACE takes over from RETURN in the first pass; RETURN, still held,
    // goes down again in the next.
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x20) + KeyMessageBytes(0x00, 0x0D));
}

void TestKeyboardSet::passesGoOnUntilNothingChanges()
{
    m_set->CreateKeyboards();
    m_set->ShowKeyboard(0, m_channelA.get());
    RecordingKeyboard *keyboard = m_set->Recording(0);
    QTest::qWait(20);

    // A SPACE tap between two passes: its press and release came as events
    // before the pass; the break needs a pass of its own, with no event left
    // to ask for it.
    m_keys.pressedSinceTake.insert(VK_SPACE);
    m_set->ScheduleIdleSteps();
    QTRY_COMPARE(keyboard->messages.size(), 2);
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x20) + KeyMessageBytes(0x01, 0x20));

    // SHIFT unlatched with the mouse while A is held: the SHIFT break, then
    // the plain make.
    keyboard->show();
    QTest::mouseClick(keyboard->Latch("SHIFT"), Qt::LeftButton);
    m_keys.held.insert('A');
    QTRY_COMPARE(keyboard->messages.size(), 1);
    QTest::mouseClick(keyboard->Latch("SHIFT"), Qt::LeftButton);
    QTRY_COMPARE(keyboard->messages.size(), 3);
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x04, 0x61) + KeyMessageBytes(0x05, 0x61)
                                      + KeyMessageBytes(0x00, 0x41));
    const int passes = m_keys.passes;
    QTest::qWait(100);
    QCOMPARE(m_keys.passes, passes);
}

void TestKeyboardSet::noPassWhileAMenuOrModalDialogIsOpen_data()
{
    QTest::addColumn<bool>("menu");
    QTest::newRow("popup menu") << true;
    QTest::newRow("modal dialog") << false;
}

void TestKeyboardSet::noPassWhileAMenuOrModalDialogIsOpen()
{
    QFETCH(bool, menu);
    m_set->CreateKeyboards();
    m_set->ShowKeyboard(0, m_channelA.get());
    RecordingKeyboard *keyboard = m_set->Recording(0);
    QTest::qWait(20);
    const int before = m_keys.passes;

    QMenu popup;
    popup.addAction(QStringLiteral("&Tastiera"));
    QDialog dialog;
    if (menu) {
        popup.popup(QPoint(20, 20));
        QTRY_VERIFY(QApplication::activePopupWidget());
    } else {
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        QTRY_VERIFY(QApplication::activeModalWidget());
    }
    // Whatever asks for a pass meanwhile, none runs (once the opening has
    // let go of the keys, which happens from the event loop).
    QTest::qWait(20);
    m_keys.held.insert('Q');
    m_set->ScheduleIdleSteps();
    QTest::mousePress(keyboard->Key("W"), Qt::LeftButton);
    QTest::qWait(100);
    QCOMPARE(m_keys.passes, before);
    QVERIFY(keyboard->messages.isEmpty());

    // Closing it is enough for the pass to run.
    QTest::mouseRelease(keyboard->Key("W"), Qt::LeftButton);
    popup.hide();
    dialog.hide();
    QTRY_COMPARE(keyboard->messages.size(), 1);
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x51));
}

void TestKeyboardSet::passRunsInsideAChannelWaitUnderADialog()
{
    // A channel's blocking wait keeps the passes running, even under a
    // modal dialog (the statistics window connecting, for example).
    m_set->CreateKeyboards();
    m_set->ShowKeyboard(2, m_channelA.get());
    RecordingKeyboard *keyboard = m_set->Recording(2);
    QDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    QTRY_VERIFY(QApplication::activeModalWidget());

    // The other controller stops reading, so a large send waits until it
    // reads again.
    QVERIFY(m_serverB->waitForClient());
    m_serverB->setReading(false);
    QTimer::singleShot(300, m_serverB.get(), [this] { m_serverB->setReading(true); });
    m_keys.held.insert(VK_F1);
    m_set->ScheduleIdleSteps();
    m_channelB->SendBytes(QByteArray(32 * 1024 * 1024, 'x'));
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0xF1));
}

void TestKeyboardSet::keysAndChannelTellWhatHappened()
{
    // What a technician reads with QT_LOGGING_RULES, and nothing without.
    CKeyLedger ledger;
    const QStringList categories{QStringLiteral("brenlow.keys"), QStringLiteral("brenlow.channel")};
    {
        const LogCapture off(categories, false);
        ledger.Send(m_channelA.get(), KF_SHIFT, 0x30);
        if (!qEnvironmentVariable("QT_LOGGING_RULES").contains(QLatin1String("brenlow")))
            QCOMPARE(off.lines(), QStringList());
    }
    const LogCapture log(categories);
    ledger.Send(m_channelA.get(), KF_SHIFT, 0x30);           // already down
    ledger.Send(m_channelB.get(), KF_SHIFT | KF_BREAK, 0x30); // goes where the make went
    ledger.Send(m_channelB.get(), KF_BREAK, 0x52);           // never made
    ledger.Send(nullptr, 0, 0x53);                           // no screen window
    m_channelA->Close();

    const QString a = m_serverA->host();
    QCOMPARE(log.lines({QStringLiteral("make 0x04 0x30 not sent"), QStringLiteral("already down on"), a}).size(), 1);
    QCOMPARE(log.lines({QStringLiteral("keys: break 0x05 0x30 to ") + a, QStringLiteral("got the make")}).size(), 1);
    QCOMPARE(log.lines({QStringLiteral("break 0x01 0x52 not sent"), QStringLiteral("no controller holds")}).size(), 1);
    QCOMPARE(log.lines({QStringLiteral("make 0x00 0x53 not sent"), QStringLiteral("no screen window")}).size(), 1);
    QCOMPARE(log.lines({QStringLiteral("channel: sent 2 bytes to"), a}).size(), 1);
    QCOMPARE(log.lines({QStringLiteral("channel: closing the connection to"), a}).size(), 1);
}

QTEST_MAIN(TestKeyboardSet)
#include "tst_keyboard_set.moc"
