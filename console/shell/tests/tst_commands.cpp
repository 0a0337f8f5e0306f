// Menus, toolbar and the enabling of every command, with and without an
// active screen window.
#include "BrenlowApp.h"
#include "ChildFrame.h"
#include "CommandIds.h"
#include "KeyboardDlg.h"
#include "KeyboardSet.h"
#include "KprotChannel.h"
#include "LoopbackServer.h"
#include "MainFrame.h"
#include "RecordingMessages.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

using namespace Cmd;

namespace {

// The items of a menu bar as "Title: item, item, -, item".
QStringList Describe(const QList<QMenu *> &menus)
{
    QStringList result;
    for (QMenu *menu : menus) {
        QStringList items;
        const auto actions = menu->actions();
        for (QAction *a : actions)
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        result << menu->title() + QStringLiteral(": ") + items.join(QStringLiteral(", "));
    }
    return result;
}

QList<QMenu *> ShownMenus(CMainFrame *frame)
{
    QList<QMenu *> menus;
    const auto actions = frame->menuBar()->actions();
    for (QAction *a : actions)
        menus << a->menu();
    return menus;
}

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void menusSwitchWithScreenWindows();
    void toolbarOrderAndPrompts();
    void enablingWithAndWithoutActiveScreenWindow();
    void commandStatesFollowTheWindowsWithoutPolling();
};

void TestCommands::menusSwitchWithScreenWindows()
{
    RecordingMessages messages;
    CBrenlowApp app;
    QVERIFY(app.InitInstance(QString()));
    CMainFrame *main = app.GetMainFrame();

    QCOMPARE(Describe(ShownMenus(main)),
             (QStringList{
                 QStringLiteral("&Canale: &Apri, Apri da &filelist, -, &Opzioni, -, &Esci"),
                 QStringLiteral("&Visualizza: Barra degli st&rumenti, Barra di st&ato"),
                 QStringLiteral("&?: Infor&mazioni su Brenlow..."),
             }));
    QCOMPARE(main->statusBar()->currentMessage(), QStringLiteral("Pronto"));
    QCOMPARE(main->windowTitle(), QStringLiteral("Brenlow"));

    LoopbackServer server(QHostAddress(QStringLiteral("127.0.0.41")), SCREEN_PORT);
    CChildFrame *frame = app.OpenScreenWindow(QStringLiteral("127.0.0.41"));
    QVERIFY(frame);
    QCOMPARE(Describe(ShownMenus(main)),
             (QStringList{
                 QStringLiteral("&Canale: &Apri, &Chiudi, Dati &statistici, &Tastiera, -, "
                                "Apri da &filelist, Salva tutti i dati statistici, "
                                "Reset tutti i dati statistici, -, &Opzioni, -, &Esci"),
                 QStringLiteral("&Visualizza: Barra degli st&rumenti, Barra di st&ato, &Aggiorna"),
                 QStringLiteral("Fi&nestra: &Sovrapponi, &Affianca, &Disponi icone"),
                 QStringLiteral("&?: Infor&mazioni su Brenlow..."),
             }));

    frame->close();
    QTRY_COMPARE(ShownMenus(main), main->Menus(128));
}

void TestCommands::toolbarOrderAndPrompts()
{
    RecordingMessages messages;
    CBrenlowApp app;
    QVERIFY(app.InitInstance(QString()));
    CMainFrame *main = app.GetMainFrame();

    QList<int> ids;
    const auto actions = main->ToolBar()->actions();
    for (QAction *a : actions)
        ids << (a->isSeparator() ? 0 : a->data().toInt());
    QCOMPARE(ids, (QList<int>{57600, 57602, 32774, 32781, 0, 57601, 32778, 32779, 0, 57664}));
    for (QAction *a : actions) {
        if (!a->isSeparator())
            QVERIFY2(!a->icon().isNull(), qPrintable(a->text()));
    }
    QCOMPARE(main->ToolBar()->iconSize(), QSize(16, 16));

    QCOMPARE(main->Action(ID_FILE_NEW)->statusTip(), QStringLiteral("Apri un canale di comunicazione"));
    QCOMPARE(main->Action(ID_FILE_NEW)->toolTip(), QStringLiteral("Apertura canale"));
    QCOMPARE(main->Action(ID_TASTIERA)->statusTip(), QStringLiteral("Abilita la tastiera"));
    QCOMPARE(main->Action(ID_AGGIORNA)->toolTip(), QStringLiteral("Aggiorna la videata"));
    QCOMPARE(main->Action(ID_FILE_OPEN)->toolTip(), QStringLiteral("Apri filelist canali"));

    // Hiding the toolbar from its menu item and back.
    main->Action(ID_VIEW_TOOLBAR)->trigger();
    QVERIFY(!main->ToolBar()->isVisible());
    main->Action(ID_VIEW_TOOLBAR)->trigger();
    QVERIFY(main->ToolBar()->isVisible());
}

void TestCommands::enablingWithAndWithoutActiveScreenWindow()
{
    RecordingMessages messages;
    CBrenlowApp app;
    QVERIFY(app.InitInstance(QString()));
    CMainFrame *main = app.GetMainFrame();

    const auto enabled = [main](int id) { return main->Action(id)->isEnabled(); };
    const QList<int> always = {ID_FILE_NEW, ID_FILE_OPEN, ID_APP_EXIT, ID_APP_ABOUT,
                               ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_WINDOW_CASCADE,
                               ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE};
    const QList<int> never = {ID_SALVA_TUTTI, ID_RESET_TUTTI, ID_OPZIONI};
    const QList<int> viewOnly = {ID_DATI_STATISTICI, ID_AGGIORNA, ID_TASTIERA, ID_FILE_CLOSE};

    main->UpdateCommands();
    for (int id : always)
        QVERIFY2(enabled(id), qPrintable(QString::number(id)));
    for (int id : never + viewOnly)
        QVERIFY2(!enabled(id), qPrintable(QString::number(id)));

    LoopbackServer server(QHostAddress(QStringLiteral("127.0.0.42")), SCREEN_PORT);
    CChildFrame *frame = app.OpenScreenWindow(QStringLiteral("127.0.0.42"));
    QVERIFY(frame && server.waitForClient());
    server.send(QByteArray(1, char(1)) + char(0) + QByteArray(320, char(0x03)));
    QTRY_VERIFY_WITH_TIMEOUT(frame->isVisible(), 3000);
    main->MdiArea()->setActiveSubWindow(frame);
    main->UpdateCommands();

    for (int id : always + viewOnly)
        QVERIFY2(enabled(id), qPrintable(QString::number(id)));
    for (int id : never)
        QVERIFY2(!enabled(id), qPrintable(QString::number(id)));
    QCOMPARE(main->windowTitle(), QStringLiteral("Brenlow - 127.0.0.42"));

    main->Action(ID_FILE_CLOSE)->trigger();
    QTRY_VERIFY(app.ScreenWindows().isEmpty());
    main->UpdateCommands();
    for (int id : viewOnly)
        QVERIFY(!enabled(id));
    QVERIFY(messages.entries.isEmpty());
}

void TestCommands::commandStatesFollowTheWindowsWithoutPolling()
{
    RecordingMessages messages;
    CBrenlowApp app;
    QVERIFY(app.InitInstance(QString()));
    CMainFrame *main = app.GetMainFrame();
    const auto enabled = [main](int id) { return main->Action(id)->isEnabled(); };
    const auto keyboardChecked = [main] { return main->Action(ID_TASTIERA)->isChecked(); };

    // Nothing in the main frame ticks but the refresh timer.
    const auto runningTimers = [main] {
        QStringList names;
        const auto timers = main->findChildren<QTimer *>();
        for (QTimer *timer : timers) {
            if (timer->isActive() && timer->objectName() != QStringLiteral("REFRESH_TIMER"))
                names << timer->objectName() + QString::number(timer->interval());
        }
        return names;
    };
    QCOMPARE(runningTimers(), QStringList());

    LoopbackServer serverA(QHostAddress(QStringLiteral("127.0.0.43")), SCREEN_PORT);
    LoopbackServer serverB(QHostAddress(QStringLiteral("127.0.0.44")), SCREEN_PORT);
    CChildFrame *a = app.OpenScreenWindow(QStringLiteral("127.0.0.43"));
    QVERIFY(a && serverA.waitForClient());
    // Opening switches the menus at once; a hidden window enables no view command.
    QCOMPARE(ShownMenus(main), main->Menus(129));
    QVERIFY(!enabled(ID_DATI_STATISTICI));
    CChildFrame *b = app.OpenScreenWindow(QStringLiteral("127.0.0.44"));
    QVERIFY(b && serverB.waitForClient());
    serverA.send(QByteArray(1, char(0)) + char(0) + QByteArray(240, char(0)));
    serverB.send(QByteArray(1, char(1)) + char(0) + QByteArray(320, char(0x03)));
    QTRY_VERIFY_WITH_TIMEOUT(a->isVisible() && b->isVisible(), 3000);

    // Activation alone brings enabling and caption up to date.
    main->MdiArea()->setActiveSubWindow(a);
    for (int id : {ID_DATI_STATISTICI, ID_AGGIORNA, ID_TASTIERA, ID_FILE_CLOSE})
        QVERIFY2(enabled(id), qPrintable(QString::number(id)));
    QCOMPARE(main->windowTitle(), QStringLiteral("Brenlow - 127.0.0.43"));
    main->MdiArea()->setActiveSubWindow(b);
    QCOMPARE(main->windowTitle(), QStringLiteral("Brenlow - 127.0.0.44"));
    QCOMPARE(runningTimers(), QStringList());

    // The check mark follows the keypads, also when they go at an idle
    // moment because none of them is visible any more.
    QVERIFY(!keyboardChecked());
    main->Action(ID_TASTIERA)->trigger();
    QVERIFY(app.KeyboardsExist());
    QVERIFY(keyboardChecked());
    for (int layout = 0; layout < 3; ++layout)
        app.Keyboards()->Keyboard(layout)->hide();
    QTRY_VERIFY(!app.KeyboardsExist());
    QCoreApplication::processEvents();
    QVERIFY(!keyboardChecked());
    app.CreateKeyboards();
    QVERIFY(keyboardChecked());
    app.Keyboards()->DestroyKeyboards();
    QCoreApplication::processEvents();
    QVERIFY(!keyboardChecked());

    // Closing hands the activation on, then takes the view commands away.
    b->close();
    QTRY_COMPARE(app.ScreenWindows().size(), 1);
    QCOMPARE(main->windowTitle(), QStringLiteral("Brenlow - 127.0.0.43"));
    QVERIFY(enabled(ID_AGGIORNA));
    a->close();
    QTRY_COMPARE(ShownMenus(main), main->Menus(128));
    for (int id : {ID_DATI_STATISTICI, ID_AGGIORNA, ID_TASTIERA, ID_FILE_CLOSE})
        QVERIFY2(!enabled(id), qPrintable(QString::number(id)));
    QCOMPARE(main->windowTitle(), QStringLiteral("Brenlow"));
    QCOMPARE(runningTimers(), QStringList());
    QVERIFY(messages.entries.isEmpty());
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
