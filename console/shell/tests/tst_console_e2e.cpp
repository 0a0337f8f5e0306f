// The whole console against a simulated controller: a screen window, its
// keyboard typing into the controller, the refresh request, the statistics
// window over a live screen, and the keyboards going with the last window.
#include "BrenlowApp.h"
#include "BrenlowView.h"
#include "ChildFrame.h"
#include "CommandIds.h"
#include "KeyboardDlg.h"
#include "KeyboardSet.h"
#include "KprotChannel.h"
#include "MainFrame.h"
#include "RecordingMessages.h"
#include "SimulatedController.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QtTest>

namespace {

const char *const kController = "127.0.0.51";

} // namespace

class TestConsoleEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void operatorSession();
};

void TestConsoleEndToEnd::operatorSession()
{
    SimulatedController controller(QStringLiteral(CTRLSIM_PATH));
    QVERIFY(controller.Start(QString::fromLatin1(kController),
                             {QStringLiteral("--format"), QStringLiteral("raw"),
                              QStringLiteral("--layout"), QStringLiteral("1"),
                              QStringLiteral("--rate-ms"), QStringLiteral("200"),
                              QStringLiteral("--stats-ms"), QStringLiteral("200")}));
    const auto KeyLines = [&controller] { return controller.KeyLines(); };

    RecordingMessages messages;
    CBrenlowApp app;
    QVERIFY(app.InitInstance(QString()));
    CMainFrame *main = app.GetMainFrame();

    // The window appears with the controller's colour panel.
    CChildFrame *frame = app.OpenScreenWindow(QString::fromLatin1(kController));
    QVERIFY(frame);
    QTRY_VERIFY_WITH_TIMEOUT(frame->isVisible(), 5000);
    CBrenlowView *view = frame->GetView();
    QCOMPARE(view->size(), QSize(320, 240));
    QCOMPARE(view->GetKeyboardLayout(), 1);
    main->MdiArea()->setActiveSubWindow(frame);
    main->UpdateCommands();

    // Tastiera shows layout 1's keyboard, typing into this controller.
    main->Action(Cmd::ID_TASTIERA)->trigger();
    QVERIFY(app.KeyboardsExist());
    QVERIFY(main->Action(Cmd::ID_TASTIERA)->isChecked());
    CKeyboardDlg *keyboard = app.Keyboards()->Keyboard(1);
    QVERIFY(keyboard && keyboard->isVisible());
    QVERIFY(!app.Keyboards()->Keyboard(0)->isVisible());
    QCOMPARE(keyboard->windowTitle(), QString::fromLatin1(kController));
    QCOMPARE(keyboard->GetChannel(), view->GetChannel());

    QAbstractButton *q = nullptr;
    for (QAbstractButton *button : keyboard->findChildren<QAbstractButton *>())
        if (button->accessibleName() == QLatin1String("Q"))
            q = button;
    QVERIFY(q);
    QTest::mousePress(q, Qt::LeftButton);
    QTest::qWait(50);
    QTest::mouseRelease(q, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(KeyLines().size(), 2, 5000);
    QCOMPARE(KeyLines(), (QStringList{QStringLiteral("key flags=0x00 code=0x51"),
                                      QStringLiteral("key flags=0x01 code=0x51")}));

    // Aggiorna sends the refresh request.
    main->Action(Cmd::ID_AGGIORNA)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(KeyLines().size(), 3, 5000);
    QCOMPARE(KeyLines().last(), QStringLiteral("key flags=0x10 code=0x65"));

    // The statistics window shows the controller's chip while the screen
    // window behind it keeps being repainted.
    const int repaintsBefore = view->TimedRepaintCount();
    QString chipLine;
    QString caption;
    QTimer::singleShot(2500, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        caption = dialog->windowTitle();
        if (auto *chip = dialog->findChild<QLabel *>(QStringLiteral("IDC_CHIP_LINE")))
            chipLine = chip->text();
        dialog->close();
    });
    main->Action(Cmd::ID_DATI_STATISTICI)->trigger();
    QCOMPARE(caption, QStringLiteral("Dati statistici - ") + QString::fromLatin1(kController));
    QCOMPARE(chipLine, QStringLiteral("LAN91C110  rev. 0"));
    QVERIFY(view->TimedRepaintCount() > repaintsBefore);

    // Closing the last screen window takes the keyboards at the next idle moment.
    frame->close();
    QTRY_VERIFY(!app.KeyboardsExist());
    main->UpdateCommands();
    QVERIFY(!main->Action(Cmd::ID_TASTIERA)->isChecked());
    QVERIFY(messages.entries.isEmpty());
}

QTEST_MAIN(TestConsoleEndToEnd)
#include "tst_console_e2e.moc"
