// Channels against simulated controllers that end the connection in the
// three ways a peer can (orderly close, reset, half-close), and against one
// that sends a byte at a time.
#include "KprotChannel.h"
#include "KprotListener.h"
#include "RecordingMessages.h"
#include "SimulatedController.h"

#include <QtTest>

namespace {

// Takes whole units of a fixed size and counts the channel's calls.
class CountingListener : public CKprotListener
{
public:
    explicit CountingListener(int unitSize) : m_unitSize(unitSize) {}

    void OnChannelData() override
    {
        ++dataCalls;
        QByteArray &buffer = channel->GetReceiveBuffer();
        while (buffer.size() >= m_unitSize) {
            units.append(buffer.left(m_unitSize));
            buffer.remove(0, m_unitSize);
        }
    }
    void OnChannelPeerGone() override { ++endedCalls; }

    CKprotChannel *channel = nullptr;
    int dataCalls = 0;
    int endedCalls = 0;
    QList<QByteArray> units;

private:
    int m_unitSize;
};

// A simulated controller's options with both ports left to the system.
QStringList OnFreePorts(const QStringList &options)
{
    return QStringList{QStringLiteral("--screen-port"), QStringLiteral("0"), QStringLiteral("--stats-port"),
                       QStringLiteral("0")}
        + options;
}

} // namespace

class TestChannelHostilePeers : public QObject
{
    Q_OBJECT

private slots:
    void endOfConnectionIsReportedOnceAndTold_data();
    void endOfConnectionIsReportedOnceAndTold();
    void failedSendAfterAResetIsTold();
    void tricklingRecordsArriveWhole();
};

void TestChannelHostilePeers::endOfConnectionIsReportedOnceAndTold_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<QString>("message");
    const QString closed = QStringLiteral("Host canale KPROT chiuso");
    const QString reset = QStringLiteral("Errore ricezione canale KPROT");
    QTest::newRow("close before the first block") << "--close-after" << 0 << closed;
    QTest::newRow("close after 2") << "--close-after" << 2 << closed;
    QTest::newRow("reset before the first block") << "--reset-after" << 0 << reset;
    QTest::newRow("half-close before the first block") << "--half-close-after" << 0 << closed;
    QTest::newRow("half-close after 2") << "--half-close-after" << 2 << closed;
}

void TestChannelHostilePeers::endOfConnectionIsReportedOnceAndTold()
{
    QFETCH(QString, option);
    QFETCH(int, blocks);
    QFETCH(QString, message);
    SimulatedController controller(QStringLiteral(CTRLSIM_PATH));
    QVERIFY(controller.Start(QStringLiteral("127.0.0.1"),
                             OnFreePorts({option, QString::number(blocks)})));
    RecordingMessages messages;
    CountingListener listener(242);
    CKprotChannel channel;
    listener.channel = &channel;
    channel.Open(QStringLiteral("127.0.0.1"), &listener, controller.ScreenPort());
    // The controller took the connection, so it opened, however quickly the
    // controller ended it again.
    QVERIFY(channel.IsOpen());

    QTRY_COMPARE_WITH_TIMEOUT(listener.endedCalls, 1, 5000);
    QCOMPARE(messages.texts(), QStringList{message});
    QCOMPARE(listener.units.size(), blocks);
    // Told once: later notifications neither repeat the box nor the call.
    QTest::qWait(200);
    QCOMPARE(listener.endedCalls, 1);
    QCOMPARE(messages.entries.size(), 1);
    QVERIFY(channel.IsOpen());
}

void TestChannelHostilePeers::failedSendAfterAResetIsTold()
{
    SimulatedController controller(QStringLiteral(CTRLSIM_PATH));
    QVERIFY(controller.Start(QStringLiteral("127.0.0.1"),
                             OnFreePorts({QStringLiteral("--reset-after"), QStringLiteral("1")})));
    RecordingMessages messages;
    CountingListener listener(242);
    CKprotChannel channel;
    listener.channel = &channel;
    channel.Open(QStringLiteral("127.0.0.1"), &listener, controller.ScreenPort());
    QVERIFY(channel.IsOpen());
    QTRY_COMPARE_WITH_TIMEOUT(listener.endedCalls, 1, 5000);
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("Errore ricezione canale KPROT")});

    channel.SendBytes("\x10\x65", 2);
    QCOMPARE(messages.texts().last(), QStringLiteral("Errore trasmissione canale KPROT"));
    QCOMPARE(listener.endedCalls, 2);
    QVERIFY(controller.KeyLines().isEmpty());
}

void TestChannelHostilePeers::tricklingRecordsArriveWhole()
{
    SimulatedController controller(QStringLiteral(CTRLSIM_PATH));
    QVERIFY(controller.Start(QStringLiteral("127.0.0.1"),
                             OnFreePorts({QStringLiteral("--trickle-ms"), QStringLiteral("1"),
                              QStringLiteral("--chip"), QStringLiteral("4"), QStringLiteral("--revision"),
                              QStringLiteral("2"), QStringLiteral("--stats-ms"), QStringLiteral("3600000")})));
    RecordingMessages messages;
    CountingListener listener(257);
    CKprotChannel channel;
    listener.channel = &channel;
    channel.Open(QStringLiteral("127.0.0.1"), &listener, controller.StatsPort());

    QTRY_COMPARE_WITH_TIMEOUT(listener.units.size(), 1, 10000);
    const QByteArray record = listener.units.first();
    QCOMPARE(record.at(0), '\0');
    QCOMPARE(record.mid(1, 8), QByteArray::fromHex("04000000" "02000000"));
    // The record came in many small reads, each offered to the listener.
    QVERIFY2(listener.dataCalls >= 10, qPrintable(QString::number(listener.dataCalls)));
    QVERIFY(channel.GetReceiveBuffer().isEmpty());
    QVERIFY(messages.entries.isEmpty());
    QCOMPARE(listener.endedCalls, 0);
}

QTEST_GUILESS_MAIN(TestChannelHostilePeers)
#include "tst_channel_hostile_peers.moc"
