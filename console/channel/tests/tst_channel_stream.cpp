// How received bytes reach the owner of a channel: in order, in reads of at
// most one block, and never left behind in the socket.
#include "KprotChannel.h"
#include "KprotListener.h"
#include "LoopbackServer.h"
#include "RecordingMessages.h"

#include <QtTest>

namespace {

// Consumes the buffer the way a unit parser does: whole units of a fixed
// size from the front, leaving an incomplete unit behind.
class UnitListener : public CKprotListener
{
public:
    explicit UnitListener(int unitSize) : m_unitSize(unitSize) {}

    void OnChannelData() override
    {
        ++calls;
        QByteArray &buffer = channel->GetReceiveBuffer();
        growth.append(buffer.size() - m_leftOver);
        int used = 0;
        while (buffer.size() - used >= m_unitSize) {
            units.append(buffer.mid(used, m_unitSize));
            used += m_unitSize;
        }
        buffer.remove(0, used);
        m_leftOver = buffer.size();
    }

    CKprotChannel *channel = nullptr;
    int calls = 0;
    QList<int> growth;
    QList<QByteArray> units;

private:
    int m_unitSize;
    int m_leftOver = 0;
};

QByteArray Pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}

} // namespace

class TestChannelStream : public QObject
{
    Q_OBJECT

private slots:
    void bytesSplitAnywhereArriveAsTheSameStream_data();
    void bytesSplitAnywhereArriveAsTheSameStream();
    void largeBurstReachesListenerInBlocksWithNothingStranded();
    void peerShutdownWithIncompleteUnitReportsOnceAndOffersBytes();
};

void TestChannelStream::bytesSplitAnywhereArriveAsTheSameStream_data()
{
    QTest::addColumn<int>("pieceSize");
    QTest::newRow("one byte a write") << 1;
    QTest::newRow("pieces across unit borders") << 97;
    QTest::newRow("one unit and a bit") << 330;
}

void TestChannelStream::bytesSplitAnywhereArriveAsTheSameStream()
{
    QFETCH(int, pieceSize);
    RecordingMessages messages;
    LoopbackServer server;
    QVERIFY(server.isListening());

    UnitListener listener(322);
    CKprotChannel channel;
    listener.channel = &channel;
    channel.Open(server.host(), &listener, server.port());
    QVERIFY(channel.IsOpen());
    QCOMPARE(channel.GetHost(), server.host());
    QVERIFY(server.waitForClient());

    const QByteArray stream = Pattern(322 * 3 + 100);
    server.sendInPieces(stream, pieceSize);
    QTRY_COMPARE(listener.units.size(), 3);
    QCOMPARE(listener.units.join(), stream.left(322 * 3));
    QTRY_COMPARE(channel.GetReceiveBuffer(), stream.mid(322 * 3));
    QVERIFY(messages.entries.isEmpty());
}

void TestChannelStream::largeBurstReachesListenerInBlocksWithNothingStranded()
{
    RecordingMessages messages;
    LoopbackServer server;
    UnitListener listener(257);
    CKprotChannel channel;
    listener.channel = &channel;
    channel.Open(server.host(), &listener, server.port());
    QVERIFY(server.waitForClient());

    // Far more than one read block, sent at once: the socket holds it all
    // after its first notification and signals no more.
    const int units = 1000;
    const QByteArray stream = Pattern(257 * units);
    server.send(stream);
    QTRY_COMPARE_WITH_TIMEOUT(listener.units.size(), units, 10000);
    QCOMPARE(listener.units.join(), stream);
    QVERIFY(channel.GetReceiveBuffer().isEmpty());

    for (int growth : qAsConst(listener.growth))
        QVERIFY2(growth <= CKprotChannel::kReadBlockSize, "one notification read more than a block");
    QVERIFY(listener.calls >= stream.size() / CKprotChannel::kReadBlockSize);
    QVERIFY(messages.entries.isEmpty());
}

void TestChannelStream::peerShutdownWithIncompleteUnitReportsOnceAndOffersBytes()
{
    RecordingMessages messages;
    LoopbackServer server;
    UnitListener listener(242);
    CKprotChannel channel;
    listener.channel = &channel;
    channel.Open(server.host(), &listener, server.port());
    QVERIFY(server.waitForClient());

    server.send(Pattern(242 + 100));
    QTRY_COMPARE(listener.units.size(), 1);
    const int callsBefore = listener.calls;
    server.closeClient();

    QTRY_COMPARE(messages.count(QStringLiteral("Host canale KPROT chiuso")), 1);
    QCOMPARE(messages.entries.first().caption, QStringLiteral("Brenlow"));
    QCOMPARE(messages.entries.first().icon, MessageIcon::Error);
    // The notification that brought nothing still offered the waiting half unit.
    QVERIFY(listener.calls > callsBefore);
    QCOMPARE(channel.GetReceiveBuffer().size(), 100);
    // The channel stays open in the console's sense, and the shutdown is
    // not reported again by later notifications.
    QVERIFY(channel.IsOpen());
    QTest::qWait(200);
    QCOMPARE(messages.entries.size(), 1);

    // Sending to a controller that went away fails with the send message.
    channel.SendBytes("\x00\x41", 2);
    QCOMPARE(messages.count(QStringLiteral("Errore trasmissione canale KPROT")), 1);
    QCOMPARE(messages.entries.last().icon, MessageIcon::Exclamation);
}

QTEST_GUILESS_MAIN(TestChannelStream)
#include "tst_channel_stream.moc"
