// Keys the operator types into the console's menus and dialogs stay there:
// with a keypad shown, none of them reaches the controller, not even after
// the menu or dialog closed, while keys typed for the screen window do.
#include "BrenlowApp.h"
#include "BrenlowView.h"
#include "ChildFrame.h"
#include "CommandIds.h"
#include "KeyboardSet.h"
#include "KprotChannel.h"
#include "LoopbackServer.h"
#include "MainFrame.h"
#include "RecordingMessages.h"
#include "ScreenBlocks.h"

#include <QAction>
#include <QDialog>
#include <QMdiArea>
#include <QMenu>
#include <QWindow>
#include <QtTest>

using namespace Cmd;

namespace {

const char *const kController = "127.0.0.61";

class KeyCounter : public QObject
{
public:
    int presses = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        presses += event->type() == QEvent::KeyPress;
        return false;
    }
};

QByteArray Message(int flags, int code)
{
    return QByteArray(1, char(flags)) + QByteArray(1, char(code));
}

} // namespace

class TestKeypadKeys : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tastieraByItsMnemonicSendsNothing();
    void keysWorkingAMenuSendNothing();
    void keysTypedIntoModalDialogsSendNothing();
    void keyHeldWhenAMenuOpensBreaksAtOnce();
    void keysTypedWhileAChannelWaitsAreSentAtOnce();

private:
    // Shows the screen window and gives it the keyboard focus.
    void OpenScreenWindow();
    void TurnKeypadOn();
    // Waits a while and returns what the controller received since the
    // last call.
    QByteArray Received(int waitMs = 200);
    // Types Q into the screen window: the keypad sends it, proving that
    // passes do run and that nothing else came before.
    void CheckTypingStillWorks();

    RecordingMessages *m_messages = nullptr;
    CBrenlowApp *m_app = nullptr;
    LoopbackServer *m_server = nullptr;
    CChildFrame *m_frame = nullptr;
    int m_seen = 0;
};

void TestKeypadKeys::init()
{
    m_messages = new RecordingMessages;
    m_app = new CBrenlowApp;
    QVERIFY(m_app->InitInstance(QString()));
    m_server = new LoopbackServer(QHostAddress(QString::fromLatin1(kController)), SCREEN_PORT);
    QVERIFY(m_server->isListening());
    m_seen = 0;
    OpenScreenWindow();
}

void TestKeypadKeys::cleanup()
{
    delete m_app;
    delete m_server;
    delete m_messages;
}

void TestKeypadKeys::OpenScreenWindow()
{
    m_frame = m_app->OpenScreenWindow(QString::fromLatin1(kController));
    QVERIFY(m_frame);
    QVERIFY(m_server->waitForClient());
    m_server->send(ScreenBlocks::RawLine(0, 0x20, 1));
    QTRY_VERIFY_WITH_TIMEOUT(m_frame->isVisible(), 5000);
    CMainFrame *main = m_app->GetMainFrame();
    QApplication::setActiveWindow(main);
    main->MdiArea()->setActiveSubWindow(m_frame);
    m_frame->GetView()->setFocus();
    main->UpdateCommands();
    QTRY_COMPARE(QApplication::focusWidget(), m_frame->GetView());
}

void TestKeypadKeys::TurnKeypadOn()
{
    m_app->GetMainFrame()->Action(ID_TASTIERA)->trigger();
    QVERIFY(m_app->KeyboardsExist());
    // The platform may activate the new keypad window a moment later; the
    // operator then clicks back into the screen window.
    QTest::qWait(50);
    QApplication::setActiveWindow(m_app->GetMainFrame());
    m_frame->GetView()->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_frame->GetView());
}

QByteArray TestKeypadKeys::Received(int waitMs)
{
    QTest::qWait(waitMs);
    const QByteArray all = m_server->received();
    const QByteArray fresh = all.mid(m_seen);
    m_seen = all.size();
    return fresh;
}

void TestKeypadKeys::CheckTypingStillWorks()
{
    QWidget *view = m_frame->GetView();
    QApplication::setActiveWindow(m_app->GetMainFrame());
    view->setFocus();
    QTest::keyPress(view, Qt::Key_Q);
    QTRY_COMPARE(m_server->received().size(), m_seen + 2);
    QTest::keyRelease(view, Qt::Key_Q);
    QTRY_COMPARE(m_server->received().size(), m_seen + 4);
    QCOMPARE(Received(0), Message(0x00, 0x51) + Message(0x01, 0x51));
}

void TestKeypadKeys::tastieraByItsMnemonicSendsNothing()
{
    CMainFrame *main = m_app->GetMainFrame();
    QWidget *view = m_frame->GetView();
    // Alt+C opens "Canale"; T picks "Tastiera" and is still held when the
    // keypad appears.
    QTest::keyClick(view, Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QCOMPARE(QApplication::activePopupWidget(), main->Menus(129).at(0));
    QTest::keyPress(QApplication::activePopupWidget(), Qt::Key_T);
    QVERIFY(m_app->KeyboardsExist());
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(Received(), QByteArray());
    QTest::keyRelease(view, Qt::Key_T);
    QCOMPARE(Received(), QByteArray());
    CheckTypingStillWorks();
    QVERIFY(m_messages->entries.isEmpty());
}

void TestKeypadKeys::keysWorkingAMenuSendNothing()
{
    TurnKeypadOn();
    QWidget *view = m_frame->GetView();
    QTest::keyClick(view, Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Escape, Qt::Key_Escape}) {
        QWidget *target = QApplication::activePopupWidget();
        if (!target)
            target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, key);
    }
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QCOMPARE(Received(), QByteArray());
    CheckTypingStillWorks();
}

void TestKeypadKeys::keysTypedIntoModalDialogsSendNothing()
{
    TurnKeypadOn();
    CMainFrame *main = m_app->GetMainFrame();

    // q and F1 into the about box; q is still held when the box has been
    // closed with the mouse, and let go over the screen window.
    bool typed = false;
    QTimer::singleShot(50, this, [&typed] {
        auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!box)
            return;
        QTest::keyPress(box, Qt::Key_Q);
        QTest::keyClick(box, Qt::Key_F1);
        typed = true;
        QTimer::singleShot(200, box, &QDialog::accept);
    });
    main->Action(ID_APP_ABOUT)->trigger();
    QVERIFY(typed);
    QApplication::setActiveWindow(main);
    m_frame->GetView()->setFocus();
    QCOMPARE(Received(), QByteArray());
    QTest::keyRelease(m_frame->GetView(), Qt::Key_Q);
    QCOMPARE(Received(), QByteArray());

    // An address typed into "Apri", confirmed with Return (the controller
    // there does not answer).
    typed = false;
    QTimer::singleShot(50, this, [&typed] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        QWidget *field = QApplication::focusWidget();
        QTest::keyClicks(field ? field : dialog, QStringLiteral("127.0.4.250"));
        typed = true;
        QTimer::singleShot(200, dialog, [dialog] {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog,
                            Qt::Key_Return);
            if (dialog->isVisible())
                QMetaObject::invokeMethod(dialog, "reject");
        });
    });
    main->Action(ID_FILE_NEW)->trigger();
    QVERIFY(typed);
    QCOMPARE(Received(), QByteArray());
    CheckTypingStillWorks();
}

void TestKeypadKeys::keyHeldWhenAMenuOpensBreaksAtOnce()
{
    TurnKeypadOn();
    QWidget *view = m_frame->GetView();
    QTest::keyPress(view, Qt::Key_W);
    QTRY_COMPARE(m_server->received().size(), m_seen + 2);
    QCOMPARE(Received(0), Message(0x00, 0x57));

    // The menu takes the keyboard: W breaks as it opens, and neither its
    // release inside the menu nor the menu closing sends anything more.
    QTest::keyClick(view, Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTRY_COMPARE(m_server->received().size(), m_seen + 2);
    QCOMPARE(Received(), Message(0x01, 0x57));
    QTest::keyRelease(QApplication::activePopupWidget(), Qt::Key_W);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QTest::qWait(100);
    QCOMPARE(Received(), QByteArray());
}

void TestKeypadKeys::keysTypedWhileAChannelWaitsAreSentAtOnce()
{
    // A controller that stops reading makes a send wait, as a slow "Apri"
    // waits for its connect: F1 typed meanwhile reaches the open controller
    // at once, paired, while the screen window sees the key only after.
    TurnKeypadOn();
    LoopbackServer slow(QHostAddress(QStringLiteral("127.0.21.40")));
    CKprotChannel waiting;
    waiting.Open(slow.host(), nullptr, slow.port());
    QVERIFY(slow.waitForClient());
    slow.setReading(false);
    KeyCounter counter;
    m_frame->GetView()->installEventFilter(&counter);
    QWindow *window = m_app->GetMainFrame()->windowHandle();
    QByteArray sentDuringWait;
    int viewPressesDuringWait = -1;
    QTimer::singleShot(100, window, [window] { QTest::keyPress(window, Qt::Key_F1); });
    QTimer::singleShot(300, window, [window] { QTest::keyRelease(window, Qt::Key_F1); });
    QTimer::singleShot(900, &slow, [&] {
        sentDuringWait = m_server->received().mid(m_seen);
        viewPressesDuringWait = counter.presses;
        slow.setReading(true);
    });
    waiting.SendBytes(QByteArray(32 * 1024 * 1024, 'x'));
    QCOMPARE(sentDuringWait, Message(0x00, 0xF1) + Message(0x01, 0xF1));
    QCOMPARE(viewPressesDuringWait, 0);
    QTRY_COMPARE(counter.presses, 1);
    QCOMPARE(Received(), Message(0x00, 0xF1) + Message(0x01, 0xF1));
    QVERIFY(m_messages->entries.isEmpty());
}

QTEST_MAIN(TestKeypadKeys)
#include "tst_keypad_keys.moc"
