// The screen window's right-button menu and its zoom: the menu's items,
// every panel pixel drawn as an exact N x N square, the zoom kept per
// controller address in the operator's settings, and keys typed into the
// menu kept away from the controller while a keypad is shown.
#include "BrenlowApp.h"
#include "BrenlowView.h"
#include "ChildFrame.h"
#include "FloorOverview.h"
#include "KeyboardSet.h"
#include "KprotChannel.h"
#include "LoopbackServer.h"
#include "MainFrame.h"
#include "RecordingMessages.h"
#include "ScreenBlocks.h"

#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace ScreenBlocks;

namespace {

QString Address(int last)
{
    return QStringLiteral("127.0.16.%1").arg(last);
}

std::unique_ptr<LoopbackServer> Controller(int last)
{
    return std::make_unique<LoopbackServer>(QHostAddress(Address(last)), SCREEN_PORT);
}

// A panel where neighbouring pixels differ, so a square one pixel too wide
// or too narrow shows.
QByteArray BusyPanel(bool colour)
{
    QByteArray blocks;
    if (colour) {
        for (int y = 0; y < 240; ++y) {
            QByteArray pixels(320, 0);
            for (int x = 0; x < 320; ++x)
                pixels[x] = char((x * 7 + y * 13 + (x ^ y)) & 0xFF);
            blocks += RawLine(y, pixels);
        }
    } else {
        for (int band = 0; band < 16; ++band) {
            QByteArray block;
            block.append(char(0)).append(char(band));
            for (int j = 0; j < 240; ++j)
                block.append(char((j * 37 + band * 11) & 0xFF));
            blocks += block;
        }
    }
    return blocks;
}

QStringList Items(const QMenu *menu)
{
    QStringList items;
    const auto actions = menu->actions();
    for (const QAction *action : actions) {
        QString item = action->isSeparator() ? QStringLiteral("-") : action->text();
        if (action->isChecked())
            item += QStringLiteral(" [x]");
        items << item;
    }
    return items;
}

QAction *Item(const QMenu *menu, const QString &text)
{
    const auto actions = menu->actions();
    for (QAction *action : actions) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

void Key(QObject *target, QEvent::Type type, int key)
{
    QKeyEvent event(type, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

} // namespace

class TestScreenZoom : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void contextMenuOffersOverviewAndZoom();
    void zoomedPaintingIsPixelExact_data();
    void zoomedPaintingIsPixelExact();
    void zoomIsRestoredPerAddress();
    void contextMenuKeysSendNothingToTheController();

private:
    CChildFrame *openShown(LoopbackServer &controller, int last, const QByteArray &panel);

    std::unique_ptr<QTemporaryDir> m_settings;
    RecordingMessages *m_messages = nullptr;
    CBrenlowApp *m_app = nullptr;
};

void TestScreenZoom::init()
{
    m_settings = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings->path());
    m_messages = new RecordingMessages;
    m_app = new CBrenlowApp;
    QVERIFY(m_app->InitInstance(QString()));
}

void TestScreenZoom::cleanup()
{
    delete m_app;
    delete m_messages;
    m_settings.reset();
}

CChildFrame *TestScreenZoom::openShown(LoopbackServer &controller, int last, const QByteArray &panel)
{
    CChildFrame *frame = m_app->OpenScreenWindow(Address(last));
    if (!frame || !controller.waitForClient())
        return nullptr;
    controller.send(panel);
    return QTest::qWaitFor([frame] { return frame->isVisible(); }, 3000) ? frame : nullptr;
}

void TestScreenZoom::contextMenuOffersOverviewAndZoom()
{
    auto controller = Controller(21);
    CChildFrame *frame = openShown(*controller, 21, BusyPanel(true));
    QVERIFY(frame);
    CBrenlowView *view = frame->GetView();

    QMenu *menu = view->BuildContextMenu(view);
    QCOMPARE(Items(menu), (QStringList{QStringLiteral("Salva immagine..."),
                                       QStringLiteral("Panoramica impianto"), QStringLiteral("Zoom")}));
    QMenu *zoom = Item(menu, QStringLiteral("Zoom"))->menu();
    QVERIFY(zoom);
    QCOMPARE(Items(zoom), (QStringList{QStringLiteral("1x [x]"), QStringLiteral("2x"),
                                       QStringLiteral("3x"), QStringLiteral("4x")}));
    Item(zoom, QStringLiteral("3x"))->trigger();
    QCOMPARE(view->Zoom(), 3);
    delete menu;

    menu = view->BuildContextMenu(view);
    zoom = Item(menu, QStringLiteral("Zoom"))->menu();
    QCOMPARE(Items(zoom), (QStringList{QStringLiteral("1x"), QStringLiteral("2x"),
                                       QStringLiteral("3x [x]"), QStringLiteral("4x")}));
    Item(menu, QStringLiteral("Panoramica impianto"))->trigger();
    CFloorOverview *overview = m_app->GetMainFrame()->Overview();
    QVERIFY(overview && overview->isVisible());
    QCOMPARE(overview->windowTitle(), QStringLiteral("Panoramica impianto"));
    Item(menu, QStringLiteral("Panoramica impianto"))->trigger();
    QCOMPARE(m_app->GetMainFrame()->Overview(), overview);
    delete menu;
    QVERIFY(m_messages->entries.isEmpty());
}

void TestScreenZoom::zoomedPaintingIsPixelExact_data()
{
    QTest::addColumn<bool>("colour");
    QTest::addColumn<int>("zoom");
    for (int zoom = 2; zoom <= 4; ++zoom) {
        QTest::addRow("colour %dx", zoom) << true << zoom;
        QTest::addRow("monochrome %dx", zoom) << false << zoom;
    }
}

void TestScreenZoom::zoomedPaintingIsPixelExact()
{
    QFETCH(bool, colour);
    QFETCH(int, zoom);
    auto controller = Controller(22);
    CChildFrame *frame = openShown(*controller, 22, BusyPanel(colour));
    QVERIFY(frame);
    CBrenlowView *view = frame->GetView();
    const QSize panel = colour ? QSize(320, 240) : QSize(240, 128);
    QCOMPARE(view->size(), panel);
    const QImage plain = view->grab().toImage();
    const QSize frameAtOne = frame->size();

    view->SetZoom(zoom);
    // The frame fits the zoomed panel as the first repaint fits the plain one.
    QCOMPARE(view->size(), panel * zoom);
    QCOMPARE(frame->size() - frameAtOne, panel * zoom - panel);
    QCOMPARE(frame->minimumSize(), frame->maximumSize());

    const QImage zoomed = view->grab().toImage();
    QCOMPARE(zoomed.size(), panel * zoom);
    int wrong = 0;
    for (int y = 0; y < zoomed.height(); ++y) {
        for (int x = 0; x < zoomed.width(); ++x) {
            if (zoomed.pixel(x, y) != plain.pixel(x / zoom, y / zoom) && ++wrong < 5)
                qWarning("pixel %d,%d differs", x, y);
        }
    }
    QCOMPARE(wrong, 0);

    // Back to 1x: the plain panel again, in a frame of the first size.
    view->SetZoom(1);
    QCOMPARE(frame->size(), frameAtOne);
    QCOMPARE(view->grab().toImage(), plain);
}

void TestScreenZoom::zoomIsRestoredPerAddress()
{
    auto first = Controller(23);
    auto second = Controller(24);
    auto untouched = Controller(25);
    auto damaged = Controller(26);
    CChildFrame *frame = openShown(*first, 23, RawLine(0, 0x1C));
    QVERIFY(frame);
    frame->GetView()->SetZoom(3);
    frame = openShown(*second, 24, Band(0, 0xF0));
    QVERIFY(frame);
    frame->GetView()->SetZoom(4);
    frame->GetView()->SetZoom(2);
    // Values no menu offers, written by hand into the settings file.
    {
        QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Prevok S.p.A."),
                        QStringLiteral("Brenlow"));
        store.setValue(QStringLiteral("Zoom/") + Address(26), QStringLiteral("9"));
    }
    m_app->GetMainFrame()->close();
    delete m_app;

    // A new console, and the controllers waiting for it afresh: each
    // address opens at its own zoom, sized for it by its first image.
    for (auto *controller : {&first, &second, &untouched, &damaged})
        controller->reset();
    first = Controller(23);
    second = Controller(24);
    untouched = Controller(25);
    damaged = Controller(26);
    m_app = new CBrenlowApp;
    QVERIFY(m_app->InitInstance(QString()));
    const struct
    {
        LoopbackServer *controller;
        int last;
        QByteArray panel;
        int zoom;
        QSize view;
    } cases[] = {
        {first.get(), 23, RawLine(5, 0xE0), 3, QSize(960, 720)},
        {second.get(), 24, Band(1, 0x0F), 2, QSize(480, 256)},
        {untouched.get(), 25, RawLine(5, 0x03), 1, QSize(320, 240)},
        {damaged.get(), 26, RawLine(5, 0x03), 1, QSize(320, 240)},
    };
    for (const auto &c : cases) {
        CChildFrame *reopened = m_app->OpenScreenWindow(Address(c.last));
        QVERIFY(reopened);
        QCOMPARE(reopened->GetView()->Zoom(), c.zoom);
        QVERIFY(c.controller->waitForClient());
        c.controller->send(c.panel);
        QTRY_VERIFY_WITH_TIMEOUT(reopened->isVisible(), 3000);
        QCOMPARE(reopened->GetView()->size(), c.view);
    }
    QVERIFY(m_messages->entries.isEmpty());
}

void TestScreenZoom::contextMenuKeysSendNothingToTheController()
{
    auto controller = Controller(27);
    CChildFrame *frame = openShown(*controller, 27, Band(0, 0x00));
    QVERIFY(frame);
    CBrenlowView *view = frame->GetView();
    CMainFrame *main = m_app->GetMainFrame();
    main->activateWindow();
    view->setFocus();
    view->OnTastiera();
    QVERIFY(m_app->KeyboardsExist());
    const auto poll = [this] {
        for (int i = 0; i < 5; ++i) {
            m_app->Keyboards()->RunIdleSteps();
            QTest::qWait(10);
        }
    };
    poll();
    QCOMPARE(controller->received(), QByteArray());

    // The operator walks the menu and its submenu by keyboard, the keys
    // reaching the menus straight or through the main window, as the window
    // system delivers them; then leaves with Esc.
    QMenu *menu = view->BuildContextMenu(view);
    menu->popup(view->mapToGlobal(QPoint(10, 10)));
    QTRY_VERIFY(menu->isVisible());
    QMenu *zoom = Item(menu, QStringLiteral("Zoom"))->menu();
    zoom->popup(view->mapToGlobal(QPoint(40, 40)));
    QTRY_VERIFY(zoom->isVisible());
    for (QObject *target : {static_cast<QObject *>(zoom), static_cast<QObject *>(main->windowHandle())}) {
        for (int key : {Qt::Key_Down, Qt::Key_A, Qt::Key_Up}) {
            Key(target, QEvent::KeyPress, key);
            poll();
            Key(target, QEvent::KeyRelease, key);
            poll();
        }
    }
    zoom->close();
    QTRY_VERIFY(QApplication::activePopupWidget() == menu);
    Key(menu, QEvent::KeyPress, Qt::Key_Down);
    poll();
    Key(menu, QEvent::KeyPress, Qt::Key_Escape);
    poll();
    QTRY_VERIFY(!menu->isVisible());
    delete menu;
    // The release of Esc comes after the menu has gone.
    Key(view, QEvent::KeyRelease, Qt::Key_Escape);
    Key(view, QEvent::KeyRelease, Qt::Key_Down);
    poll();
    QCOMPARE(controller->received(), QByteArray());
    QCOMPARE(view->Zoom(), 1);

    // Nor do keys typed into the floor overview.
    main->ShowOverview();
    CFloorOverview *overview = main->Overview();
    for (QObject *target : {static_cast<QObject *>(overview), static_cast<QObject *>(overview->Canvas())}) {
        Key(target, QEvent::KeyPress, Qt::Key_Down);
        poll();
        Key(target, QEvent::KeyRelease, Qt::Key_Down);
        poll();
    }
    QCOMPARE(controller->received(), QByteArray());
    overview->close();
    main->activateWindow();
    view->setFocus();
    QTRY_COMPARE(QApplication::activeWindow(), main);

    // The same key typed on the screen window goes to the controller.
    Key(view, QEvent::KeyPress, Qt::Key_Down);
    poll();
    Key(view, QEvent::KeyRelease, Qt::Key_Down);
    poll();
    QVERIFY(controller->waitForReceived(4));
    QCOMPARE(controller->received().size(), 4);
}

QTEST_MAIN(TestScreenZoom)
#include "tst_screen_zoom.moc"
