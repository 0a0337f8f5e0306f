// The floor overview against controller stand-ins: one tile per screen
// window in the order of opening, the state of every connection as the
// controller sends, falls silent, closes or resets, the panels drawn from
// the screen windows without a byte of traffic, clicks that bring a window
// forward, and tiles that follow the window's size.
#include "BrenlowApp.h"
#include "BrenlowView.h"
#include "ChildFrame.h"
#include "CommandIds.h"
#include "FloorOverview.h"
#include "KprotChannel.h"
#include "LoopbackServer.h"
#include "MainFrame.h"
#include "PanelPicture.h"
#include "RecordingMessages.h"
#include "ScreenBlocks.h"

#include <QAction>
#include <QMdiArea>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <sys/socket.h>

using namespace ScreenBlocks;
using OverviewTiles::LinkState;

namespace {

QString Address(int last)
{
    return QStringLiteral("127.0.16.%1").arg(last);
}

// A controller stand-in on an address of its own.
std::unique_ptr<LoopbackServer> Controller(int last)
{
    return std::make_unique<LoopbackServer>(QHostAddress(Address(last)), SCREEN_PORT);
}

// A whole colour panel, every line filled with its own colour byte.
QByteArray StripedPanel()
{
    QByteArray blocks;
    for (int y = 0; y < PanelPicture::kColourHeight; ++y)
        blocks += RawLine(y, quint8(y));
    return blocks;
}

// Ends the connection with a reset instead of an orderly close.
void Reset(QTcpSocket *socket)
{
    const linger hard = {1, 0};
    ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    socket->abort();
}

} // namespace

class TestFloorOverview : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void oneOverviewPerConsoleFollowingTheWindows();
    void tileStatesFollowTheController();
    void tilesShowThePanelsWithoutTraffic();
    void clickActivatesTheRightWindow();
    void tilesReflowOnResize();

private:
    CChildFrame *open(int last);
    CFloorOverview *overview();

    std::unique_ptr<QTemporaryDir> m_settings;
    RecordingMessages *m_messages = nullptr;
    CBrenlowApp *m_app = nullptr;
};

void TestFloorOverview::init()
{
    m_settings = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings->path());
    m_messages = new RecordingMessages;
    m_app = new CBrenlowApp;
    QVERIFY(m_app->InitInstance(QString()));
}

void TestFloorOverview::cleanup()
{
    delete m_app;
    delete m_messages;
    m_settings.reset();
}

CChildFrame *TestFloorOverview::open(int last)
{
    return m_app->OpenScreenWindow(Address(last));
}

CFloorOverview *TestFloorOverview::overview()
{
    m_app->GetMainFrame()->ShowOverview();
    return m_app->GetMainFrame()->Overview();
}

void TestFloorOverview::oneOverviewPerConsoleFollowingTheWindows()
{
    auto first = Controller(1);
    auto second = Controller(2);
    auto third = Controller(3);
    QVERIFY(open(1) && open(2));

    CFloorOverview *shown = overview();
    QVERIFY(shown);
    QCOMPARE(shown->windowTitle(), QStringLiteral("Panoramica impianto"));
    QVERIFY(shown->isWindow());
    QVERIFY(shown->isVisible());
    QCOMPARE(overview(), shown); // the command raises the one there is

    QCOMPARE(shown->TileCount(), 2);
    QCOMPARE(shown->TileAddress(0), Address(1));
    QCOMPARE(shown->TileAddress(1), Address(2));

    // Windows opened and closed later come and go in opening order.
    CChildFrame *late = open(3);
    QVERIFY(late);
    QTRY_COMPARE(shown->TileCount(), 3);
    QCOMPARE(shown->TileAddress(2), Address(3));
    m_app->ScreenWindows().first()->close();
    QTRY_COMPARE(shown->TileCount(), 2);
    QCOMPARE(shown->TileAddress(0), Address(2));
    QCOMPARE(shown->TileFrame(1), late);

    // Closed, the overview goes; the command makes a new one, up to date.
    QPointer<CFloorOverview> guard(shown);
    shown->close();
    QTRY_VERIFY(guard.isNull());
    QVERIFY(!m_app->GetMainFrame()->Overview());
    QCOMPARE(overview()->TileCount(), 2);
    QVERIFY(m_messages->entries.isEmpty());

    // Leaving the console ("Esci") takes the overview along.
    guard = m_app->GetMainFrame()->Overview();
    m_app->GetMainFrame()->Action(Cmd::ID_APP_EXIT)->trigger();
    QTRY_VERIFY(guard.isNull());
    QTRY_VERIFY(m_app->ScreenWindows().isEmpty());
}

void TestFloorOverview::tileStatesFollowTheController()
{
    auto sending = Controller(4);
    auto resetting = Controller(5);
    auto quiet = Controller(6);
    QVERIFY(open(4) && open(5) && open(6));
    QVERIFY(sending->waitForClient() && resetting->waitForClient() && quiet->waitForClient());

    CFloorOverview *tiles = overview();
    qint64 ahead = 0;
    tiles->SetClock([&ahead] { return OverviewTiles::ClockMs() + ahead; });
    const auto state = [tiles](int index) {
        tiles->Refresh();
        return tiles->TileStatus(index).state;
    };

    // Just opened, and one sending: all on line.
    sending->send(RawLine(0, 0x1C));
    QTRY_VERIFY(m_app->ScreenWindows().at(0)->GetView()->GetDisplayMode() != 0);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(state(i), LinkState::Online);
    QCOMPARE(tiles->TileStatus(0).Text(), QStringLiteral("in linea"));

    // Seven seconds later nobody has sent: silent, counting seconds.
    ahead = 7000;
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(state(i), LinkState::Silent);
        const int seconds = tiles->TileStatus(i).silentSeconds;
        QVERIFY2(seconds >= 7 && seconds <= 9, qPrintable(tiles->TileStatus(i).Text()));
        QCOMPARE(tiles->TileStatus(i).Text(), QStringLiteral("nessun dato da %1 s").arg(seconds));
    }

    // A block brings a controller back on line; the others stay silent.
    QTest::qWait(1600);
    quiet->send(Band(2, 0x55));
    QTRY_VERIFY(m_app->ScreenWindows().at(2)->GetView()->GetDisplayMode() != 0);
    ahead = 4600;
    QCOMPARE(state(2), LinkState::Online);
    QCOMPARE(state(0), LinkState::Silent);

    // The controller's orderly close, then another's reset: both "chiuso",
    // each reported once to the operator.
    sending->closeClient();
    QTRY_COMPARE(state(0), LinkState::Closed);
    QCOMPARE(tiles->TileStatus(0).Text(), QStringLiteral("chiuso"));
    QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("Host canale KPROT chiuso")});
    Reset(resetting->client());
    QTRY_COMPARE(state(1), LinkState::Closed);
    QCOMPARE(m_messages->texts(), (QStringList{QStringLiteral("Host canale KPROT chiuso"),
                                               QStringLiteral("Errore ricezione canale KPROT")}));
    QCOMPARE(state(0), LinkState::Closed);

    // A channel the console itself has closed is not connected.
    m_app->ScreenWindows().at(2)->GetView()->GetChannel()->Close();
    QCOMPARE(state(2), LinkState::NotConnected);
    QCOMPARE(tiles->TileStatus(2).Text(), QStringLiteral("non collegato"));
    QCOMPARE(m_messages->entries.size(), 2);
}

void TestFloorOverview::tilesShowThePanelsWithoutTraffic()
{
    auto controller = Controller(7);
    CChildFrame *frame = open(7);
    QVERIFY(frame && controller->waitForClient());
    controller->send(StripedPanel());
    QTRY_VERIFY_WITH_TIMEOUT(frame->isVisible(), 3000);

    CFloorOverview *tiles = overview();
    tiles->resize(760, 720); // room for the panel twice over
    QTRY_VERIFY(tiles->TileRect(0).width() >= 700);
    tiles->Refresh();

    // Twice over: each controller pixel a sharp 2 x 2 square.
    bool whole = false;
    const QRect target = tiles->TilePanelRect(0, &whole);
    QVERIFY(whole);
    QCOMPARE(target.size(), QSize(640, 480));
    QVERIFY(tiles->TileRect(0).contains(target));
    const QImage shown = tiles->Canvas()->grab().toImage();
    for (int line : {0, 1, 77, 160, 239}) {
        for (int x : {0, 1, 319 * 2, 319 * 2 + 1}) {
            for (int half : {0, 1}) {
                QCOMPARE(shown.pixel(target.left() + x, target.top() + 2 * line + half),
                         PanelPicture::ColourOf(quint8(line)));
            }
        }
    }

    // Shrunk into a small tile the panel is smoothed; a plain colour stays
    // that colour, and it follows the window's next timed repaint.
    tiles->resize(200, 200);
    QByteArray red;
    for (int y = 0; y < PanelPicture::kColourHeight; ++y)
        red += RawLine(y, 0xE0);
    const int repaints = frame->GetView()->TimedRepaintCount();
    controller->send(red);
    QTRY_VERIFY_WITH_TIMEOUT(frame->GetView()->TimedRepaintCount() > repaints, 3000);
    const QRect small = tiles->TilePanelRect(0, &whole);
    QVERIFY(!whole && small.width() < 320);
    QTRY_COMPARE(tiles->Canvas()->grab().toImage().pixel(small.center()), qRgb(255, 0, 0));

    // All of it came from what the screen window holds: the controller
    // heard nothing from the console.
    QTest::qWait(1200);
    QCOMPARE(controller->received(), QByteArray());
}

void TestFloorOverview::clickActivatesTheRightWindow()
{
    std::vector<std::unique_ptr<LoopbackServer>> controllers;
    QList<CChildFrame *> frames;
    for (int last = 8; last <= 10; ++last) {
        controllers.push_back(Controller(last));
        frames << open(last);
        QVERIFY(frames.last() && controllers.back()->waitForClient());
        controllers.back()->send(Band(0, 0x0F));
    }
    for (CChildFrame *frame : qAsConst(frames))
        QTRY_VERIFY_WITH_TIMEOUT(frame->isVisible(), 3000);
    QMdiArea *area = m_app->GetMainFrame()->MdiArea();
    frames.at(1)->showMinimized();
    area->setActiveSubWindow(frames.at(2));

    CFloorOverview *tiles = overview();
    const auto click = [tiles](int index) {
        QTest::mouseClick(tiles->Canvas(), Qt::LeftButton, Qt::NoModifier,
                          tiles->TileRect(index).center());
    };
    click(1);
    QCOMPARE(area->activeSubWindow(), frames.at(1));
    QVERIFY(!frames.at(1)->isMinimized());
    QVERIFY(frames.at(1)->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), m_app->GetMainFrame());
    click(0);
    QCOMPARE(area->activeSubWindow(), frames.at(0));
    click(2);
    QCOMPARE(area->activeSubWindow(), frames.at(2));

    // Beside the tiles, or with another button, nothing changes.
    QTest::mouseClick(tiles->Canvas(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(2, tiles->Canvas()->height() - 2));
    QTest::mouseClick(tiles->Canvas(), Qt::RightButton, Qt::NoModifier,
                      tiles->TileRect(0).center());
    QCOMPARE(area->activeSubWindow(), frames.at(2));
}

void TestFloorOverview::tilesReflowOnResize()
{
    std::vector<std::unique_ptr<LoopbackServer>> controllers;
    for (int last = 11; last <= 16; ++last) {
        controllers.push_back(Controller(last));
        QVERIFY(open(last));
    }
    CFloorOverview *tiles = overview();
    const auto columns = [tiles] {
        QSet<int> lefts;
        for (int i = 0; i < tiles->TileCount(); ++i)
            lefts.insert(tiles->TileRect(i).left());
        return lefts.size();
    };
    const auto allOnCanvas = [tiles] {
        for (int i = 0; i < tiles->TileCount(); ++i) {
            if (!tiles->Canvas()->rect().contains(tiles->TileRect(i)))
                return false;
        }
        return true;
    };

    tiles->resize(1200, 320);
    QTRY_COMPARE(columns(), 6);
    QVERIFY(allOnCanvas());
    tiles->resize(400, 1000);
    QTRY_VERIFY(columns() <= 2);
    QVERIFY(allOnCanvas());
    // Too small for all: tiles keep a readable size and the window scrolls.
    tiles->resize(400, 200);
    QTRY_VERIFY(tiles->Canvas()->height() > tiles->viewport()->height());
    QVERIFY(tiles->TileRect(0).width() >= 150);
    QVERIFY(allOnCanvas());
}

QTEST_MAIN(TestFloorOverview)
#include "tst_floor_overview.moc"
