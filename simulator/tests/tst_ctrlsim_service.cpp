// The controller's two services over loopback, as consoles meet them.
#include "ControllerServer.h"
#include "ScreenClient.h"
#include "ScreenEncoder.h"
#include "TestController.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>
#include <memory>

namespace {

// Units whose rows differ between two pictures of the panel.
QList<int> ChangedUnits(PanelFormat format, const PanelCanvas &before, const PanelCanvas &after)
{
    QList<int> units;
    for (int unit = 0; unit < UnitCount(format); ++unit) {
        if (!after.RowsEqual(before, UnitFirstRow(format, unit), UnitRowCount(format)))
            units.append(unit);
    }
    return units;
}

QList<int> Numbers(const QVector<DecodedBlock> &blocks, int from)
{
    QList<int> numbers;
    for (int i = from; i < blocks.size(); ++i)
        numbers.append(blocks.at(i).number);
    return numbers;
}

QList<int> Sequence(int count)
{
    QList<int> numbers;
    for (int i = 0; i < count; ++i)
        numbers.append(i);
    return numbers;
}

qint32 PayloadWord(const QByteArray &record, int offset)
{
    const auto byte = [&](int i) { return quint32(quint8(record.at(1 + offset + i))); };
    return qint32(byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24);
}

} // namespace

class TestCtrlsimService : public QObject
{
    Q_OBJECT

private slots:
    void newConsoleGetsEveryLineOfThePanel_data();
    void newConsoleGetsEveryLineOfThePanel();
    void keysAreLoggedTypedAndOnlyChangedLinesFollow();
    void refreshRequestResendsEveryLineAndIsLogged();
    void timedUpdatesSendTheClockAndCarriageLines();
    void statisticsRecordsArriveWithGrowingCounters();
    void garbageAndVanishingConsolesDoNotStopTheController();
};

void TestCtrlsimService::newConsoleGetsEveryLineOfThePanel_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("layout");
    QTest::newRow("monochrome, layout 0") << int(PanelFormat::Mono) << 0;
    QTest::newRow("raw colour, layout 1") << int(PanelFormat::Raw) << 1;
    QTest::newRow("run-length colour, layout 2") << int(PanelFormat::Rle) << 2;
}

void TestCtrlsimService::newConsoleGetsEveryLineOfThePanel()
{
    QFETCH(int, format);
    QFETCH(int, layout);
    const PanelFormat panelFormat = PanelFormat(format);
    SimOptions options = TestController::Options();
    options.format = panelFormat;
    options.layout = layout;
    TestController controller;
    QVERIFY(controller.Start(options));

    ScreenClient console;
    QVERIFY(console.Connect(controller.ScreenPort()));
    const int units = UnitCount(panelFormat);
    QVERIFY(console.WaitForBlocks(units));
    QCOMPARE(Numbers(console.blocks, 0), Sequence(units));
    for (const DecodedBlock &block : qAsConst(console.blocks))
        QCOMPARE(block.kind, format + 3 * layout);

    // What arrived is the picture the controller draws, title bar included.
    const PanelCanvas panel = controller.Server().Panel().Render(TestController::FixedTime());
    int darkOrColoured = 0;
    for (int y = 0; y < (panelFormat == PanelFormat::Mono ? 136 : 240); ++y) {
        for (int x = 0; x < panel.Width(); ++x) {
            const int got = panelFormat == PanelFormat::Mono ? console.decoder.MonoPixel(x, y)
                                                             : console.decoder.At(x, y);
            QCOMPARE(got, int(panel.At(x, y)));
            darkOrColoured += got != 0;
        }
    }
    QVERIFY(darkOrColoured > 1000);
}

void TestCtrlsimService::keysAreLoggedTypedAndOnlyChangedLinesFollow()
{
    SimOptions options = TestController::Options();
    options.format = PanelFormat::Raw;
    TestController controller;
    QVERIFY(controller.Start(options));
    ScreenClient console;
    QVERIFY(console.Connect(controller.ScreenPort()));
    QVERIFY(console.WaitForBlocks(240));
    const PanelCanvas before = controller.Server().Panel().Render(TestController::FixedTime());

    // H and I pressed and released, then half a RETURN whose code comes later.
    console.Send(QByteArray::fromHex("0048014800490149" "00"));
    QVERIFY(controller.WaitForKeyLogLines(4));
    QCOMPARE(controller.Server().Panel().Input().Input(), QStringLiteral("HI"));

    const PanelCanvas after = controller.Server().Panel().Render(TestController::FixedTime());
    const QList<int> changed = ChangedUnits(PanelFormat::Raw, before, after);
    QVERIFY(!changed.isEmpty());
    QVERIFY(changed.size() < 60);
    QVERIFY(console.WaitForBlocks(240 + changed.size()));
    QTest::qWait(100);
    QCOMPARE(Numbers(console.blocks, 240), changed);

    console.Send(QByteArray::fromHex("0d"));
    QVERIFY(controller.WaitForKeyLogLines(5));
    QTRY_COMPARE(controller.Server().Panel().Input().Entered(), QStringLiteral("HI"));

    const QStringList lines = controller.KeyLogLines();
    const QStringList expected = {"flags=0x00 code=0x48", "flags=0x01 code=0x48", "flags=0x00 code=0x49",
                                  "flags=0x01 code=0x49", "flags=0x00 code=0x0d"};
    QCOMPARE(lines.size(), expected.size());
    const QRegularExpression shape(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d key (flags=0x[0-9a-f]{2} code=0x[0-9a-f]{2})$"));
    for (int i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch match = shape.match(lines.at(i));
        QVERIFY2(match.hasMatch(), qPrintable(lines.at(i)));
        QCOMPARE(match.captured(1), expected.at(i));
    }
}

void TestCtrlsimService::refreshRequestResendsEveryLineAndIsLogged()
{
    TestController controller;
    QVERIFY(controller.Start(TestController::Options()));
    ScreenClient first;
    ScreenClient second;
    QVERIFY(first.Connect(controller.ScreenPort()));
    QVERIFY(first.WaitForBlocks(17));
    QVERIFY(second.Connect(controller.ScreenPort()));
    QVERIFY(second.WaitForBlocks(17));
    // The first console saw the console count change on its panel.
    QVERIFY(first.WaitForBlocks(18));
    const int firstBefore = first.blocks.size();

    second.Send(QByteArray::fromHex("1065"));
    QVERIFY(second.WaitForBlocks(34));
    QTest::qWait(100);
    QCOMPARE(Numbers(second.blocks, 17), Sequence(17));
    // Only the console that asked gets the panel again; the panel itself is unchanged.
    QCOMPARE(first.blocks.size(), firstBefore);
    QCOMPARE(controller.Server().Panel().Input().MessageCount(), quint64(0));
    QVERIFY(controller.WaitForKeyLogLines(1));
    QVERIFY(controller.KeyLogLines().constFirst().endsWith(QLatin1String(" key flags=0x10 code=0x65")));
}

void TestCtrlsimService::timedUpdatesSendTheClockAndCarriageLines()
{
    SimOptions options = TestController::Options();
    options.rateMs = 20;
    TestController controller;
    QVERIFY(controller.Start(options));
    ScreenClient console;
    QVERIFY(console.Connect(controller.ScreenPort()));
    QVERIFY(console.WaitForBlocks(17 + 6));
    // The fixed clock leaves the title alone; the tick counter and the
    // carriage change, far from every band at once.
    const QList<int> updates = Numbers(console.blocks, 17);
    QVERIFY(!updates.contains(0));
    QVERIFY(!updates.contains(16));
    QVERIFY(controller.Server().Panel().Ticks() >= 2);
}

void TestCtrlsimService::statisticsRecordsArriveWithGrowingCounters()
{
    SimOptions options = TestController::Options();
    options.statsMs = 20;
    options.chipId = 4;
    options.revision = 2;
    TestController controller;
    QVERIFY(controller.Start(options));

    ScreenClient window;
    window.SetDecoding(false);
    QVERIFY(window.Connect(controller.StatsPort()));
    QVERIFY(window.WaitForBytes(4 * 257));

    qint32 previousTxPacked = -1;
    qint32 previousRxPacked = -1;
    for (int at = 0; at + 257 <= window.received.size(); at += 257) {
        const QByteArray record = window.received.mid(at, 257);
        QCOMPARE(int(record.at(0)), 0);
        QCOMPARE(PayloadWord(record, 0), 4);
        QCOMPARE(PayloadWord(record, 4), 2);
        QVERIFY(PayloadWord(record, 88) > previousTxPacked);
        QVERIFY(PayloadWord(record, 96) >= previousRxPacked);
        previousTxPacked = PayloadWord(record, 88);
        previousRxPacked = PayloadWord(record, 96);
    }
    QVERIFY(previousRxPacked > 0);
}

void TestCtrlsimService::garbageAndVanishingConsolesDoNotStopTheController()
{
    SimOptions options = TestController::Options();
    options.format = PanelFormat::Rle;
    options.statsMs = 20;
    TestController controller;
    QVERIFY(controller.Start(options));

    QRandomGenerator random(7);
    QByteArray garbage(20001, Qt::Uninitialized);
    for (char &byte : garbage)
        byte = char(random.bounded(256u));
    {
        // One console sends garbage and drops the connection with a reset,
        // another leaves before reading anything, a third sends bytes to
        // the statistics service, which expects none.
        ScreenClient rude;
        QVERIFY(rude.Connect(controller.ScreenPort()));
        rude.Send(garbage);
        ScreenClient shy;
        QVERIFY(shy.Connect(controller.ScreenPort()));
        shy.socket.disconnectFromHost();
        ScreenClient chatty;
        chatty.SetDecoding(false);
        QVERIFY(chatty.Connect(controller.StatsPort()));
        chatty.Send(garbage);
        QVERIFY(controller.WaitForKeyLogLines(10000));
        rude.socket.abort();
        chatty.socket.abort();
    }
    QTRY_COMPARE(controller.Server().ScreenSessions().size(), 0);
    QTRY_COMPARE(controller.Server().StatsSessionCount(), 0);
    QCOMPARE(controller.KeyLogLines().size(), 10000);

    // Several consoles at once still get the whole panel and the records.
    std::vector<std::unique_ptr<ScreenClient>> consoles;
    for (int i = 0; i < 5; ++i) {
        consoles.push_back(std::make_unique<ScreenClient>());
        QVERIFY(consoles.back()->Connect(controller.ScreenPort()));
    }
    for (auto &console : consoles) {
        QVERIFY(console->WaitForBlocks(240));
        QCOMPARE(console->stopReason, PanelDecoder::Result::NeedMore);
        QCOMPARE(Numbers(console->blocks, 0).mid(0, 240), Sequence(240));
    }
    ScreenClient window;
    window.SetDecoding(false);
    QVERIFY(window.Connect(controller.StatsPort()));
    QVERIFY(window.WaitForBytes(2 * 257));
    QCOMPARE(int(window.received.at(0)), 0);
}

QTEST_GUILESS_MAIN(TestCtrlsimService)
#include "tst_ctrlsim_service.moc"
