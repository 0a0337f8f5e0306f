// The fault modes do what they promise, and split writes change nothing
// but where the reads of a console break the stream.
#include "ControllerServer.h"
#include "ScreenClient.h"
#include "TestController.h"

#include <QtTest>

#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A console on a plain socket, read without blocking so the controller in
// this thread keeps running: it tells an orderly end of the stream from a
// reset, and can still send after the controller stopped sending.
class RawConsole
{
public:
    ~RawConsole()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool Connect(quint16 port)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return m_fd >= 0 && ::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    }
    enum class End { Open, Orderly, Reset };
    // Reads until the stream ends or timeoutMs passed.
    End ReadToEnd(int timeoutMs = 5000)
    {
        End end = End::Open;
        (void)QTest::qWaitFor([&] {
            char chunk[4096];
            for (;;) {
                const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, MSG_DONTWAIT);
                if (n > 0) {
                    received.append(chunk, int(n));
                    continue;
                }
                if (n == 0)
                    end = End::Orderly;
                else if (errno == ECONNRESET)
                    end = End::Reset;
                return end != End::Open;
            }
        }, timeoutMs);
        return end;
    }
    bool Send(const QByteArray &bytes)
    {
        return ::send(m_fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size();
    }

    QByteArray received;

private:
    int m_fd = -1;
};

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
    void endingsBeforeAndAfterBlocks_data();
    void endingsBeforeAndAfterBlocks();
    void halfClosedConnectionStillTakesKeys();
    void trickleSendsByteByByteAndDecodesTheSame();
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

void TestCtrlsimFaults::endingsBeforeAndAfterBlocks_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("after");
    QTest::addColumn<int>("end");
    const int orderly = int(RawConsole::End::Orderly);
    const int reset = int(RawConsole::End::Reset);
    QTest::newRow("close before the first block") << "close" << 0 << orderly;
    QTest::newRow("close after 3") << "close" << 3 << orderly;
    QTest::newRow("reset before the first block") << "reset" << 0 << reset;
    QTest::newRow("reset after 3") << "reset" << 3 << reset;
    QTest::newRow("half-close before the first block") << "half-close" << 0 << orderly;
    QTest::newRow("half-close after 3") << "half-close" << 3 << orderly;
}

void TestCtrlsimFaults::endingsBeforeAndAfterBlocks()
{
    QFETCH(QString, mode);
    QFETCH(int, after);
    QFETCH(int, end);
    SimOptions options = TestController::Options();
    if (mode == QLatin1String("close"))
        options.closeAfter = after;
    else if (mode == QLatin1String("reset"))
        options.resetAfter = after;
    else
        options.halfCloseAfter = after;
    TestController controller;
    QVERIFY(controller.Start(options));

    RawConsole console;
    QVERIFY(console.Connect(controller.ScreenPort()));
    QCOMPARE(int(console.ReadToEnd()), end);
    // A reset may throw away bytes still in flight; the others deliver
    // exactly the blocks sent before the end.
    if (end == int(RawConsole::End::Reset))
        QVERIFY(console.received.size() <= after * 242);
    else
        QCOMPARE(console.received.size(), after * 242);
    QByteArray stream = console.received;
    QVERIFY(TakeBlocks(stream, 0, int(stream.size() / 242)));
}

void TestCtrlsimFaults::halfClosedConnectionStillTakesKeys()
{
    SimOptions options = TestController::Options();
    options.halfCloseAfter = 2;
    TestController controller;
    QVERIFY(controller.Start(options));
    RawConsole console;
    QVERIFY(console.Connect(controller.ScreenPort()));
    QCOMPARE(console.ReadToEnd(), RawConsole::End::Orderly);
    QCOMPARE(console.received.size(), 2 * 242);

    QVERIFY(console.Send(QByteArray::fromHex("0042" "0142")));
    QVERIFY(controller.WaitForKeyLogLines(2));
    QTRY_COMPARE(controller.Server().Panel().Input().Input(), QStringLiteral("B"));
    QCOMPARE(controller.Server().ScreenSessions().size(), 1);
}

void TestCtrlsimFaults::trickleSendsByteByByteAndDecodesTheSame()
{
    SimOptions options = TestController::Options();
    TestController plain;
    QVERIFY(plain.Start(options));
    options.trickleMs = 2;
    TestController trickling;
    QVERIFY(trickling.Start(options));

    ScreenClient plainConsole;
    QVERIFY(plainConsole.Connect(plain.ScreenPort()));
    QVERIFY(plainConsole.WaitForBlocks(17));

    ScreenClient console;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(console.Connect(trickling.ScreenPort()));
    QVERIFY(console.WaitForBytes(1));
    // A byte every 2 ms at most: the first band cannot be complete in 200 ms.
    QTest::qWait(200);
    QVERIFY2(console.received.size() < 150, qPrintable(QString::number(console.received.size())));
    QVERIFY(console.WaitForBlocks(2, 10000));
    QVERIFY(clock.elapsed() >= 2 * 242 * 2);
    QCOMPARE(console.received, plainConsole.received.left(console.received.size()));
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
