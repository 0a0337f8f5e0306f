// "Salva immagine..." in the screen window's context menu: the picture
// written is the panel as shown, failures are reported in a "Brenlow" box,
// and keys typed into the menu or the file dialog never reach the
// controller, also with a keypad shown and attached.
#include "BrenlowApp.h"
#include "BrenlowView.h"
#include "ChildFrame.h"
#include "CommandIds.h"
#include "KeyboardDlg.h"
#include "KeyboardSet.h"
#include "KprotChannel.h"
#include "LoopbackServer.h"
#include "MainFrame.h"
#include "RecordingMessages.h"
#include "SnapTestSupport.h"

#include <QContextMenuEvent>
#include <QMdiArea>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

class TestSaveImage : public QObject
{
    Q_OBJECT

private slots:
    void savesThePanelAsShown();
    void keysInTheMenuAndTheDialogStayInTheConsole();

private:
    // Opens a screen window on a stand-in that sends a colour panel on
    // keypad layout 1, and waits until the window shows it.
    CChildFrame *OpenShown(CBrenlowApp &app, LoopbackServer &server, const QString &address);
    QTemporaryDir m_dir;
};

CChildFrame *TestSaveImage::OpenShown(CBrenlowApp &app, LoopbackServer &server, const QString &address)
{
    CChildFrame *frame = app.OpenScreenWindow(address);
    if (!frame || !server.waitForClient())
        return nullptr;
    server.send(SnapTest::KnownPanel(SnapTest::Format::RawColour, 1));
    if (!QTest::qWaitFor([frame] { return frame->isVisible(); }, 10000))
        return nullptr;
    return frame;
}

void TestSaveImage::savesThePanelAsShown()
{
    RecordingMessages messages;
    CBrenlowApp app;
    QVERIFY(app.InitInstance(QString()));
    QStringList offered;
    QString answer;
    app.SetImagePathChooser([&](const QString &suggested) {
        offered << suggested;
        return answer;
    });

    LoopbackServer server(QHostAddress(QStringLiteral("127.0.15.90")), SCREEN_PORT);
    CChildFrame *frame = OpenShown(app, server, QStringLiteral("127.0.15.90"));
    QVERIFY(frame);
    CBrenlowView *view = frame->GetView();

    std::unique_ptr<QMenu> menu(view->BuildContextMenu(view));
    // "Salva immagine..." heads the menu, before the overview and the zoom.
    QCOMPARE(menu->actions().size(), 3);
    QAction *save = menu->actions().first();
    QCOMPARE(save->text(), QStringLiteral("Salva immagine..."));
    QVERIFY(save->isEnabled());

    // Lines that arrive after the last timed repaint are not shown yet, so
    // they are not in the picture either.
    const QImage shown = SnapTest::ConsolePicture(SnapTest::KnownPanel(SnapTest::Format::RawColour, 1));
    server.send(QByteArray(1, char(4)) + char(10) + QByteArray(320, char(0xE0)));
    QTRY_VERIFY(view->IsDirty());

    answer = m_dir.filePath(QStringLiteral("shown.png"));
    save->trigger();
    QCOMPARE(offered.size(), 1);
    QVERIFY2(offered.first().endsWith(QStringLiteral("127.0.15.90.png")), qPrintable(offered.first()));
    QImage written(answer);
    QCOMPARE(written.size(), QSize(320, 240));
    QCOMPARE(written.convertToFormat(shown.format()), shown);
    QVERIFY(messages.entries.isEmpty());

    // Cancelled: nothing written, nothing said.
    answer.clear();
    save->trigger();
    QCOMPARE(offered.size(), 2);
    QVERIFY(messages.entries.isEmpty());

    // A file that cannot be written: one error box captioned "Brenlow".
    answer = m_dir.filePath(QStringLiteral("missing/folder/x.png"));
    save->trigger();
    QCOMPARE(messages.entries.size(), 1);
    QCOMPARE(messages.entries.first().caption, QStringLiteral("Brenlow"));
    QCOMPARE(messages.entries.first().icon, MessageIcon::Error);
    QVERIFY(messages.entries.first().text.contains(answer));
    QVERIFY(!QFile::exists(answer));

    // Nothing was sent to the controller by any of it.
    QCOMPARE(server.received(), QByteArray());
}

void TestSaveImage::keysInTheMenuAndTheDialogStayInTheConsole()
{
    RecordingMessages messages;
    CBrenlowApp app;
    QVERIFY(app.InitInstance(QString()));
    CMainFrame *main = app.GetMainFrame();
    main->show();
    main->activateWindow();

    LoopbackServer server(QHostAddress(QStringLiteral("127.0.15.91")), SCREEN_PORT);
    CChildFrame *frame = OpenShown(app, server, QStringLiteral("127.0.15.91"));
    QVERIFY(frame);
    CBrenlowView *view = frame->GetView();
    main->MdiArea()->setActiveSubWindow(frame);
    main->UpdateCommands();
    main->Action(Cmd::ID_TASTIERA)->trigger();
    CKeyboardDlg *keypad = app.Keyboards()->Keyboard(1);
    QVERIFY(keypad && keypad->isVisible());
    QCOMPARE(keypad->GetChannel(), view->GetChannel());
    CKeyboardSet *keypads = app.Keyboards();

    // With the keypad shown, a PC key typed into the screen window does
    // reach the controller: the mirroring the rest of this test relies on.
    view->setFocus();
    QTest::keyPress(view, Qt::Key_Q);
    keypads->RunIdleSteps();
    QTest::keyRelease(view, Qt::Key_Q);
    keypads->RunIdleSteps();
    QVERIFY(server.waitForReceived(4));
    QCOMPARE(server.received(), QByteArray("\x00\x51\x01\x51", 4));

    // The context menu: keys typed while it is open, then Esc to close it.
    bool menuSeen = false;
    QTimer::singleShot(200, [&] {
        QWidget *popup = QApplication::activePopupWidget();
        menuSeen = popup != nullptr;
        if (!popup)
            return;
        QTest::keyPress(popup, Qt::Key_Q);
        keypads->RunIdleSteps();
        QTest::keyRelease(popup, Qt::Key_Q);
        keypads->RunIdleSteps();
        QTest::keyClick(popup, Qt::Key_Escape);
    });
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(10, 10), view->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(view, &rightClick);
    QVERIFY(menuSeen);
    keypads->RunIdleSteps();

    // The file dialog: a name typed, and Enter pressed to accept it, whose
    // release comes only after the dialog has gone.
    const QString path = m_dir.filePath(QStringLiteral("typed.png"));
    app.SetImagePathChooser([&](const QString &) {
        // The screen window gets the focus back from the closed menu
        // before the dialog takes it, which asks to show its keypad.
        QFocusEvent focusBack(QEvent::FocusIn, Qt::PopupFocusReason);
        QApplication::sendEvent(view, &focusBack);
        QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : main;
        for (Qt::Key key : {Qt::Key_T, Qt::Key_Space, Qt::Key_Y}) {
            QTest::keyPress(focus, key);
            keypads->RunIdleSteps();
            QTest::keyRelease(focus, key);
            keypads->RunIdleSteps();
        }
        QTest::keyPress(focus, Qt::Key_Return);
        keypads->RunIdleSteps();
        return path;
    });
    view->SaveImage();
    QVERIFY(QFile::exists(path));
    keypads->RunIdleSteps();
    QTest::keyRelease(view, Qt::Key_Return);
    for (int pass = 0; pass < 3; ++pass)
        keypads->RunIdleSteps();

    // The keypad types into its controller again afterwards.
    QCOMPARE(keypad->GetChannel(), view->GetChannel());
    QTest::qWait(200);
    QCOMPARE(server.received(), QByteArray("\x00\x51\x01\x51", 4));
    QTest::keyPress(view, Qt::Key_Q);
    keypads->RunIdleSteps();
    QTest::keyRelease(view, Qt::Key_Q);
    keypads->RunIdleSteps();
    QVERIFY(server.waitForReceived(8));
    QCOMPARE(server.received(), QByteArray("\x00\x51\x01\x51\x00\x51\x01\x51", 8));
    QVERIFY(messages.entries.isEmpty());
}

QTEST_MAIN(TestSaveImage)
#include "tst_save_image.moc"
