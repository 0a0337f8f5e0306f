// "Salva immagine..." in the screen window's context menu: the picture
// written is the panel as shown, failures are reported in a "Brenlow" box,
// keys typed into the menu, the file dialog or the failure box never reach
// the controller, also with a keypad shown and attached, and a key held
// before the menu opened breaks when it is let go.
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
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
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
    void aKeyHeldWhenTheMenuOpensBreaksAtOnce();

private:
    // Opens a screen window on a stand-in that sends a colour panel on
    // keypad layout 1, and waits until the window shows it.
    CChildFrame *OpenShown(CBrenlowApp &app, LoopbackServer &server, const QString &address);
    // As above, then shows the keypad of layout 1 attached to the window,
    // which gets the focus; null when any step fails.
    CBrenlowView *ShowKeypadOn(CBrenlowApp &app, LoopbackServer &server, const QString &address);
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

namespace {

// Types keys into whatever modal window is open: each one pressed and
// released there, with a keypad pass after each event.
void TypeIntoModal(CKeyboardSet *keypads, const QList<Qt::Key> &keys)
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    QWidget *target = modal->focusWidget() ? modal->focusWidget() : modal;
    for (Qt::Key key : keys) {
        QTest::keyPress(target, key);
        keypads->RunIdleSteps();
        QTest::keyRelease(target, key);
        keypads->RunIdleSteps();
    }
}

// The console's failure box as the operator meets it: a modal box, into
// which keys are typed, closed by Return pressed in it.
class ModalMessages : public RecordingMessages
{
public:
    explicit ModalMessages(CKeyboardSet *keypads) : m_keypads(keypads) {}

    void Show(const QString &caption, const QString &text, MessageIcon icon) override
    {
        RecordingMessages::Show(caption, text, icon);
        QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
        QTimer::singleShot(100, &box, [this] {
            TypeIntoModal(m_keypads, {Qt::Key_Q, Qt::Key_F1});
            QWidget *modal = QApplication::activeModalWidget();
            if (modal)
                QTest::keyPress(modal, Qt::Key_Return);
            m_keypads->RunIdleSteps();
            // A box Return did not close ends the test's wait anyway.
            if (QApplication::activeModalWidget() == modal && modal)
                modal->close();
        });
        box.exec();
    }

private:
    CKeyboardSet *m_keypads;
};

} // namespace

CBrenlowView *TestSaveImage::ShowKeypadOn(CBrenlowApp &app, LoopbackServer &server, const QString &address)
{
    CMainFrame *main = app.GetMainFrame();
    main->show();
    main->activateWindow();
    CChildFrame *frame = OpenShown(app, server, address);
    if (!frame)
        return nullptr;
    CBrenlowView *view = frame->GetView();
    main->MdiArea()->setActiveSubWindow(frame);
    main->UpdateCommands();
    main->Action(Cmd::ID_TASTIERA)->trigger();
    CKeyboardDlg *keypad = app.Keyboards()->Keyboard(1);
    if (!keypad || !keypad->isVisible() || keypad->GetChannel() != view->GetChannel())
        return nullptr;
    view->setFocus();
    return view;
}

void TestSaveImage::keysInTheMenuAndTheDialogStayInTheConsole()
{
    CBrenlowApp app;
    QVERIFY(app.InitInstance(QString()));
    ModalMessages messages(app.Keyboards());
    LoopbackServer server(QHostAddress(QStringLiteral("127.0.15.91")), SCREEN_PORT);
    CBrenlowView *view = ShowKeypadOn(app, server, QStringLiteral("127.0.15.91"));
    QVERIFY(view);
    CKeyboardSet *keypads = app.Keyboards();
    CKeyboardDlg *keypad = keypads->Keyboard(1);

    // With the keypad shown, a PC key typed into the screen window does
    // reach the controller: the mirroring the rest of this test relies on.
    QTest::keyPress(view, Qt::Key_Q);
    keypads->RunIdleSteps();
    QTest::keyRelease(view, Qt::Key_Q);
    keypads->RunIdleSteps();
    QVERIFY(server.waitForReceived(4));
    QCOMPARE(server.received(), QByteArray("\x00\x51\x01\x51", 4));

    // The file dialog, modal as the real one: a name typed into its field
    // and Enter pressed to accept it, whose release comes only after the
    // dialog has gone. The folder does not exist, so the failure box
    // follows, and keys are typed into it too.
    const QString path = m_dir.filePath(QStringLiteral("missing/typed.png"));
    bool dialogSeen = false;
    app.SetImagePathChooser([&](const QString &) {
        QDialog dialog(app.GetMainFrame());
        auto *field = new QLineEdit(&dialog);
        field->setFocus();
        QTimer::singleShot(100, &dialog, [&] {
            dialogSeen = QApplication::activeModalWidget() == &dialog;
            TypeIntoModal(keypads, {Qt::Key_T, Qt::Key_Space, Qt::Key_Y});
            QTest::keyPress(field, Qt::Key_Return);
            keypads->RunIdleSteps();
            dialog.accept();
        });
        dialog.exec();
        return path;
    });

    // The context menu, opened by the right button: keys typed while it is
    // open, then Down and Return to pick "Salva immagine...".
    bool menuSeen = false;
    QTimer::singleShot(200, [&] {
        QWidget *popup = QApplication::activePopupWidget();
        menuSeen = popup != nullptr;
        if (!popup)
            return;
        for (Qt::Key key : {Qt::Key_Q, Qt::Key_Down, Qt::Key_Up}) {
            QTest::keyPress(popup, key);
            keypads->RunIdleSteps();
            QTest::keyRelease(popup, key);
            keypads->RunIdleSteps();
        }
        QTest::keyPress(popup, Qt::Key_Down);
        keypads->RunIdleSteps();
        QTest::keyPress(popup, Qt::Key_Return);
    });
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(10, 10), view->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(view, &rightClick);
    QVERIFY(menuSeen);
    QVERIFY(dialogSeen);
    QCOMPARE(messages.entries.size(), 1);
    QVERIFY(messages.entries.first().text.contains(path));

    // The main window is active again and the screen window has the focus
    // back, which shows its keypad again; the releases of the keys pressed
    // in the menu and the dialogs come now.
    app.GetMainFrame()->activateWindow();
    view->setFocus();
    QTRY_COMPARE(QApplication::activeWindow(), app.GetMainFrame());
    QFocusEvent focusBack(QEvent::FocusIn, Qt::PopupFocusReason);
    QApplication::sendEvent(view, &focusBack);
    keypads->RunIdleSteps();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Return})
        QTest::keyRelease(view, key);
    for (int pass = 0; pass < 3; ++pass)
        keypads->RunIdleSteps();
    QTest::qWait(200);
    QCOMPARE(server.received(), QByteArray("\x00\x51\x01\x51", 4));

    // The keypad types into its controller again afterwards.
    QCOMPARE(keypad->GetChannel(), view->GetChannel());
    QTest::keyPress(view, Qt::Key_Q);
    keypads->RunIdleSteps();
    QTest::keyRelease(view, Qt::Key_Q);
    keypads->RunIdleSteps();
    QVERIFY(server.waitForReceived(8));
    QCOMPARE(server.received(), QByteArray("\x00\x51\x01\x51\x00\x51\x01\x51", 8));
}

void TestSaveImage::aKeyHeldWhenTheMenuOpensBreaksAtOnce()
{
    RecordingMessages messages;
    CBrenlowApp app;
    QVERIFY(app.InitInstance(QString()));
    LoopbackServer server(QHostAddress(QStringLiteral("127.0.15.92")), SCREEN_PORT);
    CBrenlowView *view = ShowKeypadOn(app, server, QStringLiteral("127.0.15.92"));
    QVERIFY(view);
    CKeyboardSet *keypads = app.Keyboards();
    const auto passes = [keypads] {
        for (int pass = 0; pass < 3; ++pass) {
            keypads->RunIdleSteps();
            QTest::qWait(20);
        }
    };
    // Opens the context menu and, while it is open, runs what is given and
    // then closes it with Esc.
    const auto inMenu = [view](const std::function<void(QWidget *)> &whileOpen) {
        bool seen = false;
        QTimer::singleShot(200, [&] {
            QWidget *popup = QApplication::activePopupWidget();
            seen = popup != nullptr;
            if (!popup)
                return;
            whileOpen(popup);
            QTest::keyClick(popup, Qt::Key_Escape);
        });
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(10, 10), view->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(view, &rightClick);
        return seen;
    };

    // Q held on the screen window: the menu takes the keyboard and Q breaks
    // as it opens; its repeats and release in the menu send nothing more.
    QTest::keyPress(view, Qt::Key_Q);
    passes();
    QVERIFY(server.waitForReceived(2));
    QByteArray atRelease;
    QVERIFY(inMenu([&](QWidget *popup) {
        // Held on: repeats of the hold reach the menu.
        for (int repeat = 0; repeat < 3; ++repeat) {
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"), true);
            QApplication::sendEvent(popup, &release);
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"), true);
            QApplication::sendEvent(popup, &press);
            passes();
        }
        QTest::keyRelease(popup, Qt::Key_Q);
        passes();
        atRelease = server.received();
    }));
    QCOMPARE(atRelease, QByteArray("\x00\x51\x01\x51", 4));
    passes();
    QVERIFY(server.waitForReceived(4));
    QTest::qWait(100);
    QCOMPARE(server.received(), QByteArray("\x00\x51\x01\x51", 4));

    // W held through the whole menu: it breaks as the menu opens and is not
    // made again when the menu closes, nor broken again when let go.
    QTest::keyPress(view, Qt::Key_W);
    passes();
    QVERIFY(server.waitForReceived(6));
    QVERIFY(inMenu([&](QWidget *) { passes(); }));
    QFocusEvent focusBack(QEvent::FocusIn, Qt::PopupFocusReason);
    QApplication::sendEvent(view, &focusBack);
    passes();
    QVERIFY(server.waitForReceived(8));
    QTest::keyRelease(view, Qt::Key_W);
    passes();
    QTest::qWait(100);
    QCOMPARE(server.received(), QByteArray("\x00\x51\x01\x51\x00\x57\x01\x57", 8));
    QVERIFY(messages.entries.isEmpty());
}

QTEST_MAIN(TestSaveImage)
#include "tst_save_image.moc"
