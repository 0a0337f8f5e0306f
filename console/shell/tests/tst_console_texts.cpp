// What the operator reads beyond the console's own texts: Qt's dialogs and
// menus in Italian, prompts of disabled menu items, and screen windows that
// are painted whole after the Finestra arrangements.
#include "BrenlowApp.h"
#include "BrenlowView.h"
#include "ChildFrame.h"
#include "CommandIds.h"
#include "ItalianTexts.h"
#include "SystemTexts.h"
#include "KprotChannel.h"
#include "LoopbackServer.h"
#include "MainFrame.h"
#include "RecordingMessages.h"
#include "ScreenBlocks.h"
#include "ScreenViewHost.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace Cmd;

namespace {

QStringList VisibleEntries(QMenu *menu)
{
    QStringList entries;
    const auto actions = menu->actions();
    for (QAction *action : actions) {
        if (action->isVisible())
            entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return entries;
}

QString Child(QWidget *parent, const char *name)
{
    if (auto *label = parent->findChild<QLabel *>(QLatin1String(name)))
        return label->text();
    return QString();
}

// Counts the paint events of the widgets it watches.
class PaintCounter : public QObject
{
public:
    int count(QObject *widget) const { return m_counts.value(widget); }
    void reset() { m_counts.clear(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_counts[watched];
        return false;
    }

private:
    QHash<QObject *, int> m_counts;
};

} // namespace

class TestConsoleTexts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fileDialogAndSystemMenuSpeakItalian();
    void disabledMenuItemsShowTheirPrompts();
    void arrangedScreenWindowsArePaintedWhole();
};

void TestConsoleTexts::initTestCase()
{
    // As the program does at start, before any window exists.
    QVERIFY2(installItalianSystemTexts(qApp), "Qt's Italian catalogue is not installed");
}

void TestConsoleTexts::fileDialogAndSystemMenuSpeakItalian()
{
    QTemporaryDir folder;
    QScopedPointer<QFileDialog> dialog(CreateChannelListDialog(nullptr, folder.path()));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Apri"));
    QCOMPARE(Child(dialog.data(), "lookInLabel"), QStringLiteral("Cerca in:"));
    QCOMPARE(Child(dialog.data(), "fileNameLabel"), QStringLiteral("&Nome del file:"));
    auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    QVERIFY(types);
    QCOMPARE(types->currentText(), QStringLiteral("Tutti i file (*)"));
    auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QVERIFY(buttons);
    QCOMPARE(buttons->button(QDialogButtonBox::Open)->text(), QStringLiteral("&Apri"));
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Annulla"));
    // A channel list must exist; any name is taken, whatever its extension.
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(dialog->directory().absolutePath(), QDir(folder.path()).absolutePath());
    dialog->reject();

    // A screen window has the panel's fixed size: no sizing, no maximising,
    // no staying on top; restore, move, minimise and close, in Italian.
    ScreenViewHost host;
    CChildFrame frame(QStringLiteral("127.0.0.1"), &host);
    QCOMPARE(VisibleEntries(frame.systemMenu()),
             (QStringList{QStringLiteral("&Ripristina"), QStringLiteral("&Sposta"),
                          QStringLiteral("Mi&nimizza"), QStringLiteral("-"),
                          QStringLiteral("&Chiudi")}));
}

void TestConsoleTexts::disabledMenuItemsShowTheirPrompts()
{
    RecordingMessages messages;
    CBrenlowApp app;
    QVERIFY(app.InitInstance(QString()));
    CMainFrame *main = app.GetMainFrame();
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));

    QMenu *channelMenu = main->Menus(129).first();
    channelMenu->popup(main->mapToGlobal(QPoint(10, 30)));
    QVERIFY(QTest::qWaitForWindowExposed(channelMenu));

    const auto hover = [&](int id) {
        QAction *action = main->Action(id);
        const QPoint at = channelMenu->actionGeometry(action).center();
        QMouseEvent move(QEvent::MouseMove, at, channelMenu->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(channelMenu, &move);
        QTest::qWait(50);
        return main->statusBar()->currentMessage();
    };
    QVERIFY(!main->Action(ID_SALVA_TUTTI)->isEnabled());
    QCOMPARE(hover(ID_SALVA_TUTTI), QStringLiteral("Salva tutti i dati statistici"));
    QCOMPARE(hover(ID_FILE_OPEN), QStringLiteral("Apre i canali elencati nel file"));
    QCOMPARE(hover(ID_RESET_TUTTI), QStringLiteral("Reset tutti i dati statistici"));
    // Disabled and without a prompt: the idle text.
    QCOMPARE(hover(ID_OPZIONI), QStringLiteral("Pronto"));
    channelMenu->hide();
    QTRY_COMPARE(main->statusBar()->currentMessage(), QStringLiteral("Pronto"));
    QVERIFY(messages.entries.isEmpty());
}

void TestConsoleTexts::arrangedScreenWindowsArePaintedWhole()
{
    // Only a real window system copies moved windows on the screen; this
    // case runs in its own test under a virtual X server.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server");

    RecordingMessages messages;
    CBrenlowApp app;
    QVERIFY(app.InitInstance(QString()));
    CMainFrame *main = app.GetMainFrame();
    main->resize(1200, 900);
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));

    // Five controllers, each with a panel of its own colour.
    QList<QSharedPointer<LoopbackServer>> servers;
    QList<CChildFrame *> frames;
    for (int i = 0; i < 5; ++i) {
        const QString address = QStringLiteral("127.0.22.%1").arg(61 + i);
        servers << QSharedPointer<LoopbackServer>::create(QHostAddress(address), SCREEN_PORT);
        CChildFrame *frame = app.OpenScreenWindow(address);
        QVERIFY(frame && servers.last()->waitForClient());
        QByteArray panel;
        for (int line = 0; line < 240; ++line)
            panel += ScreenBlocks::RawLine(line, char(0x20 + 0x30 * i));
        servers.last()->send(panel);
        frames << frame;
    }
    for (CChildFrame *frame : qAsConst(frames))
        QTRY_VERIFY_WITH_TIMEOUT(frame->isVisible(), 5000);

    // A moved window whose picture is copied along instead of painted can
    // keep pieces of the windows that lay over it: after an arrangement,
    // every screen window paints itself afresh.
    PaintCounter painted;
    for (CChildFrame *frame : qAsConst(frames))
        frame->GetView()->installEventFilter(&painted);
    main->Action(ID_WINDOW_CASCADE)->trigger();
    QTest::qWait(200);
    for (CChildFrame *frame : qAsConst(frames))
        QVERIFY(painted.count(frame->GetView()) > 0);

    painted.reset();
    main->Action(ID_WINDOW_TILE_HORZ)->trigger();
    QTest::qWait(200);
    for (CChildFrame *frame : qAsConst(frames))
        QVERIFY(painted.count(frame->GetView()) > 0);

    // And what the screen shows of each panel is that panel.
    const QImage screen = main->screen()->grabWindow(0).toImage();
    for (CChildFrame *frame : qAsConst(frames)) {
        QWidget *view = frame->GetView();
        const QImage panel = view->grab().toImage().convertToFormat(screen.format());
        QCOMPARE(screen.copy(QRect(view->mapToGlobal(QPoint(0, 0)), view->size())), panel);
    }
    QVERIFY(messages.entries.isEmpty());
}

QTEST_MAIN(TestConsoleTexts)
#include "tst_console_texts.moc"
