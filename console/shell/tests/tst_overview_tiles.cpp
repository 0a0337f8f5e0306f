// The floor overview's arithmetic: the state shown for a controller's
// connection, how tiles fill a window, and how a panel is fitted in a tile.
#include "OverviewTiles.h"

#include <QtTest>

using namespace OverviewTiles;

Q_DECLARE_METATYPE(OverviewTiles::LinkState)

class TestOverviewTiles : public QObject
{
    Q_OBJECT

private slots:
    void linkStates_data();
    void linkStates();
    void statesHaveTheirOwnColours();
    void tilesFillTheArea_data();
    void tilesFillTheArea();
    void pointsFindTheirTile();
    void panelFitsItsBox_data();
    void panelFitsItsBox();
};

void TestOverviewTiles::linkStates_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("peerGone");
    QTest::addColumn<qint64>("silentMs");
    QTest::addColumn<LinkState>("state");
    QTest::addColumn<QString>("text");

    QTest::newRow("block just now") << true << false << qint64(0) << LinkState::Online
                                    << QStringLiteral("in linea");
    QTest::newRow("5.9 s counts as 5") << true << false << qint64(5999) << LinkState::Online
                                       << QStringLiteral("in linea");
    QTest::newRow("6 s silent") << true << false << qint64(6000) << LinkState::Silent
                                << QStringLiteral("nessun dato da 6 s");
    QTest::newRow("an hour silent") << true << false << qint64(3600500) << LinkState::Silent
                                    << QStringLiteral("nessun dato da 3600 s");
    QTest::newRow("clock behind the block") << true << false << qint64(-20) << LinkState::Online
                                            << QStringLiteral("in linea");
    QTest::newRow("closed while recent") << true << true << qint64(100) << LinkState::Closed
                                         << QStringLiteral("chiuso");
    QTest::newRow("reset left it shut") << false << true << qint64(100) << LinkState::Closed
                                        << QStringLiteral("chiuso");
    QTest::newRow("channel not open") << false << false << qint64(100)
                                      << LinkState::NotConnected << QStringLiteral("non collegato");
}

void TestOverviewTiles::linkStates()
{
    QFETCH(bool, open);
    QFETCH(bool, peerGone);
    QFETCH(qint64, silentMs);
    QFETCH(LinkState, state);
    QFETCH(QString, text);

    LinkFacts facts;
    facts.channelOpen = open;
    facts.peerGone = peerGone;
    facts.silentMs = silentMs;
    const LinkStatus status = StatusOf(facts);
    QCOMPARE(status.state, state);
    QCOMPARE(status.Text(), text);
}

void TestOverviewTiles::statesHaveTheirOwnColours()
{
    QSet<QRgb> colours;
    for (LinkState state : {LinkState::Online, LinkState::Silent, LinkState::Closed,
                            LinkState::NotConnected}) {
        LinkStatus status;
        status.state = state;
        colours.insert(status.BorderColour().rgb());
    }
    QCOMPARE(colours.size(), 4);
}

void TestOverviewTiles::tilesFillTheArea_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QSize>("area");
    QTest::addColumn<bool>("fits");

    QTest::newRow("one tile") << 1 << QSize(960, 640) << true;
    QTest::newRow("three in a wide window") << 3 << QSize(1200, 400) << true;
    QTest::newRow("twelve") << 12 << QSize(960, 640) << true;
    QTest::newRow("256 scroll") << 256 << QSize(960, 640) << false;
    QTest::newRow("narrower than a tile") << 4 << QSize(90, 400) << false;
}

void TestOverviewTiles::tilesFillTheArea()
{
    QFETCH(int, count);
    QFETCH(QSize, area);
    QFETCH(bool, fits);
    const int caption = 30;
    const int minWidth = 150;

    const Grid grid = Flow(count, area, caption, minWidth);
    QVERIFY(grid.columns >= 1 && grid.columns <= count);
    QVERIFY(grid.tile.width() >= minWidth);
    QVERIFY(grid.columns * grid.tile.width() <= qMax(area.width(), minWidth));
    const int height = grid.Rows(count) * grid.tile.height();
    QCOMPARE(height <= area.height(), fits);
    if (fits) {
        // No room is wasted: the tiles fill the height or the width.
        QVERIFY(height * 10 >= area.height() * 9
                || grid.columns * grid.tile.width() * 10 >= area.width() * 9);
    }
    // No two tiles overlap and each lies in the flowed width.
    for (int i = 0; i + 1 < count; ++i) {
        QVERIFY(!grid.TileRect(i).intersects(grid.TileRect(i + 1)));
        QVERIFY(grid.TileRect(i).right() < grid.columns * grid.tile.width());
    }
    // The panel box keeps the 4:3 shape and room for the caption.
    const QRect box = PanelBox(grid.TileRect(0), caption);
    QVERIFY(box.width() > 0 && box.height() > 0);
    QVERIFY(qAbs(box.width() * 3 - box.height() * 4) <= 4);
    QVERIFY(box.bottom() + caption < grid.TileRect(0).bottom());
}

void TestOverviewTiles::pointsFindTheirTile()
{
    Grid grid;
    grid.columns = 3;
    grid.tile = QSize(100, 80);
    QCOMPARE(grid.TileAt(QPoint(5, 5), 7), 0);
    QCOMPARE(grid.TileAt(QPoint(250, 79), 7), 2);
    QCOMPARE(grid.TileAt(QPoint(250, 80), 7), 5);
    QCOMPARE(grid.TileAt(QPoint(0, 160), 7), 6);
    QCOMPARE(grid.TileAt(QPoint(150, 170), 7), -1); // past the last tile
    QCOMPARE(grid.TileAt(QPoint(310, 10), 7), -1);  // right of the columns
    QCOMPARE(grid.TileAt(QPoint(-1, 10), 7), -1);
    for (int i = 0; i < 7; ++i)
        QCOMPARE(grid.TileAt(grid.TileRect(i).center(), 7), i);
}

void TestOverviewTiles::panelFitsItsBox_data()
{
    QTest::addColumn<QSize>("panel");
    QTest::addColumn<QRect>("box");
    QTest::addColumn<QRect>("target");
    QTest::addColumn<bool>("whole");

    QTest::newRow("colour at 2x") << QSize(320, 240) << QRect(10, 20, 700, 500)
                                  << QRect(40, 30, 640, 480) << true;
    QTest::newRow("colour exactly 1x") << QSize(320, 240) << QRect(0, 0, 320, 240)
                                       << QRect(0, 0, 320, 240) << true;
    QTest::newRow("monochrome at 2x in a 4:3 box") << QSize(240, 128) << QRect(0, 0, 500, 375)
                                                   << QRect(10, 59, 480, 256) << true;
    QTest::newRow("colour shrunk") << QSize(320, 240) << QRect(0, 0, 160, 120)
                                   << QRect(0, 0, 160, 120) << false;
    QTest::newRow("monochrome shrunk") << QSize(240, 128) << QRect(0, 0, 120, 90)
                                       << QRect(0, 13, 120, 64) << false;
    QTest::newRow("nothing received") << QSize() << QRect(0, 0, 100, 100) << QRect() << false;
}

void TestOverviewTiles::panelFitsItsBox()
{
    QFETCH(QSize, panel);
    QFETCH(QRect, box);
    QFETCH(QRect, target);
    QFETCH(bool, whole);
    bool isWhole = !whole;
    QCOMPARE(FitPanel(panel, box, &isWhole), target);
    QCOMPARE(isWhole, whole);
}

QTEST_APPLESS_MAIN(TestOverviewTiles)
#include "tst_overview_tiles.moc"
