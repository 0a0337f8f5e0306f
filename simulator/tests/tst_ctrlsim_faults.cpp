// The fault modes do what they promise, and split writes change nothing
// but where the reads of a console break the stream.
#include "ControllerServer.h"
#include "ScreenClient.h"
#include "TestController.h"

#include <QtTest>

namespace {

// Decodes `count` good blocks from the front of `stream`, checking their numbers.
bool TakeBlocks(QByteArray &stream, int firstNumber, int count)
{
    PanelDecoder decoder;
    for (int i = 0; i < count; ++i) {
        DecodedBlock block;
        if (decoder.DecodeNext(stream, &block) != PanelDecoder::Result::Block
            || block.number != firstNumber + i) {
            qWarning("block %d of %d is missing or out of order", i, count);
            return false;
        }
    }
    return true;
}

int BlockSize(PanelFormat format, const QByteArray &stream)
{
    if (format == PanelFormat::Mono)
        return 242;
    if (format == PanelFormat::Raw)
        return 322;
    return 4 + (quint8(stream.at(1)) | quint8(stream.at(2)) << 8);
}

// The whole panel with one more block after the first `good` ones.
bool HoldsBadBlockAmongGoodOnes(QByteArray stream, PanelFormat format, int good)
{
    PanelDecoder decoder;
    DecodedBlock block;
    for (int i = 0; i < good; ++i) {
        if (decoder.DecodeNext(stream, &block) != PanelDecoder::Result::Block)
            return false;
    }
    if (stream.size() < 4 || stream.size() < BlockSize(format, stream))
        return false;
    stream.remove(0, BlockSize(format, stream));
    int rest = 0;
    while (decoder.DecodeNext(stream, &block) == PanelDecoder::Result::Block)
        ++rest;
    return rest == UnitCount(format) - good;
}

} // namespace

class TestCtrlsimFaults : public QObject
{
    Q_OBJECT

private slots:
    void splitWritesGiveTheSameByteStream_data();
    void splitWritesGiveTheSameByteStream();
    void invalidKindByteAfterN();
    void outOfRangeNumberAfterN_data();
    void outOfRangeNumberAfterN();
    void closeAfterNEndsEveryConnection();
    void stallAfterNKeepsReadingKeys();
    void floodStreamsChangedLinesWithABoundedQueue();
};

void TestCtrlsimFaults::splitWritesGiveTheSameByteStream_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("monochrome") << int(PanelFormat::Mono);
    QTest::newRow("run-length colour") << int(PanelFormat::Rle);
}

void TestCtrlsimFaults::splitWritesGiveTheSameByteStream()
{
    QFETCH(int, format);
    SimOptions options = TestController::Options();
    options.format = PanelFormat(format);
    TestController plain;
    QVERIFY(plain.Start(options));
    options.splitWrites = true;
    options.seed = 1234;
    TestController split;
    QVERIFY(split.Start(options));

    ScreenClient plainConsole;
    ScreenClient splitConsole;
    QVERIFY(plainConsole.Connect(plain.ScreenPort()));
    QVERIFY(splitConsole.Connect(split.ScreenPort()));
    const int units = UnitCount(PanelFormat(format));
    QVERIFY(plainConsole.WaitForBlocks(units));
    QVERIFY(splitConsole.WaitForBlocks(units, 20000));
    QCOMPARE(splitConsole.received, plainConsole.received);
}

void TestCtrlsimFaults::invalidKindByteAfterN()
{
    SimOptions options = TestController::Options();
    options.invalidKindAfter = 5;
    options.seed = 99;
    TestController controller;
    QVERIFY(controller.Start(options));
    ScreenClient console;
    console.SetDecoding(false);
    QVERIFY(console.Connect(controller.ScreenPort()));
    QVERIFY(console.WaitForBytes(17 * 242 + 1));

    QByteArray stream = console.received;
    QVERIFY(TakeBlocks(stream, 0, 5));
    QVERIFY(quint8(stream.at(0)) > 8);
    stream.remove(0, 1);
    QVERIFY(TakeBlocks(stream, 5, 12));
    QVERIFY(stream.isEmpty());
}

void TestCtrlsimFaults::outOfRangeNumberAfterN_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("number");
    QTest::newRow("monochrome band 17") << int(PanelFormat::Mono) << 17;
    QTest::newRow("raw line 240") << int(PanelFormat::Raw) << 240;
    QTest::newRow("run-length line 240") << int(PanelFormat::Rle) << 240;
}

void TestCtrlsimFaults::outOfRangeNumberAfterN()
{
    QFETCH(int, format);
    QFETCH(int, number);
    const PanelFormat panelFormat = PanelFormat(format);
    SimOptions options = TestController::Options();
    options.format = panelFormat;
    options.badLineAfter = 3;
    TestController controller;
    QVERIFY(controller.Start(options));
    ScreenClient console;
    QVERIFY(console.Connect(controller.ScreenPort()));
    console.SetDecoding(false);
    const int units = UnitCount(panelFormat);
    // Every good block plus the bad one, which is a full block of its format.
    QTRY_VERIFY_WITH_TIMEOUT(HoldsBadBlockAmongGoodOnes(console.received, panelFormat, 3), 5000);

    QByteArray stream = console.received;
    QVERIFY(TakeBlocks(stream, 0, 3));
    PanelDecoder decoder;
    DecodedBlock bad;
    QCOMPARE(decoder.DecodeNext(stream, &bad), PanelDecoder::Result::BadNumber);
    QCOMPARE(bad.number, number);
    QCOMPARE(bad.kind, format);
    stream.remove(0, BlockSize(panelFormat, stream));
    QVERIFY(TakeBlocks(stream, 3, units - 3));
    QVERIFY(stream.isEmpty());
}

void TestCtrlsimFaults::closeAfterNEndsEveryConnection()
{
    SimOptions options = TestController::Options();
    options.format = PanelFormat::Raw;
    options.closeAfter = 4;
    TestController controller;
    QVERIFY(controller.Start(options));
    for (int round = 0; round < 2; ++round) {
        ScreenClient console;
        QVERIFY(console.Connect(controller.ScreenPort()));
        QVERIFY(console.WaitForDisconnect());
        QCOMPARE(console.received.size(), 4 * 322);
        QCOMPARE(console.blocks.size(), 4);
    }
    QTRY_COMPARE(controller.Server().ScreenSessions().size(), 0);
}

void TestCtrlsimFaults::stallAfterNKeepsReadingKeys()
{
    SimOptions options = TestController::Options();
    options.stallAfter = 2;
    TestController controller;
    QVERIFY(controller.Start(options));
    ScreenClient console;
    QVERIFY(console.Connect(controller.ScreenPort()));
    QVERIFY(console.WaitForBlocks(2));

    console.Send(QByteArray::fromHex("0041" "1065"));
    QVERIFY(controller.WaitForKeyLogLines(2));
    QTRY_COMPARE(controller.Server().Panel().Input().Input(), QStringLiteral("A"));
    QTest::qWait(150);
    QCOMPARE(console.received.size(), 2 * 242);
    QCOMPARE(console.socket.state(), QAbstractSocket::ConnectedState);
    QVERIFY(controller.Server().ScreenSessions().constFirst()->IsStalled());
}

void TestCtrlsimFaults::floodStreamsChangedLinesWithABoundedQueue()
{
    SimOptions options = TestController::Options();
    options.format = PanelFormat::Raw;
    options.flood = true;
    TestController controller;
    QVERIFY(controller.Start(options));

    // A console that never reads: the controller must not pile up its stream.
    QTcpSocket idle;
    idle.setReadBufferSize(1);
    idle.connectToHost(QHostAddress(QHostAddress::LocalHost), controller.ScreenPort());
    QVERIFY(idle.waitForConnected(5000));

    ScreenClient reader;
    QVERIFY(reader.Connect(controller.ScreenPort()));
    QVERIFY(reader.WaitForBlocks(3 * 240, 20000));
    QCOMPARE(reader.stopReason, PanelDecoder::Result::NeedMore);
    for (int i = 0; i < 3 * 240; ++i)
        QCOMPARE(reader.blocks.at(i).number, i % 240);

    // Each flood step changes every line: line 0 of three frames differ.
    QByteArray stream = reader.received;
    QList<QByteArray> firstLines;
    for (int i = 0; i < 3 * 240; ++i) {
        if (i % 240 == 0)
            firstLines.append(stream.left(322));
        stream.remove(0, 322);
    }
    QVERIFY(firstLines.at(0) != firstLines.at(1));
    QVERIFY(firstLines.at(1) != firstLines.at(2));

    QTest::qWait(200);
    const QList<ScreenSession *> sessions = controller.Server().ScreenSessions();
    QCOMPARE(sessions.size(), 2);
    for (ScreenSession *session : sessions)
        QVERIFY2(session->PeakQueued() <= ScreenSession::kHighWater + 322,
                 qPrintable(QString::number(session->PeakQueued())));
}

QTEST_GUILESS_MAIN(TestCtrlsimFaults)
#include "tst_ctrlsim_faults.moc"
