// How the channel meets a controller that shuts down only its sending side,
// resets the connection, closes it, or stops reading what it is sent.
#include "KprotChannel.h"
#include "KprotListener.h"
#include "RawPeer.h"
#include "RecordingMessages.h"
#include "StreamSocket.h"

#include <QtTest>

#include <arpa/inet.h>
#include <cerrno>

namespace {

class TakingListener : public CKprotListener
{
public:
    void OnChannelData() override
    {
        ++calls;
        received += channel->GetReceiveBuffer();
        channel->GetReceiveBuffer().clear();
    }
    CKprotChannel *channel = nullptr;
    int calls = 0;
    QByteArray received;
};

const QByteArray kKeyMessage("\x00\x41", 2);
const QByteArray kRefreshRequest("\x10\x65", 2);

} // namespace

class TestChannelPeer : public QObject
{
    Q_OBJECT

private slots:
    void controllerThatStopsSendingStillGetsKeys();
    void resetAndOrderlyCloseAreToldApart_data();
    void resetAndOrderlyCloseAreToldApart();
    void resetBeforeTheConnectWasSeenEndsAMadeConnection();
    void failedSendNeverGoesOutLater();
    void keysSentBeforeAFailedKeyStillArrive();
};

void TestChannelPeer::controllerThatStopsSendingStillGetsKeys()
{
    RecordingMessages messages;
    RawPeer peer;
    TakingListener listener;
    CKprotChannel channel;
    listener.channel = &channel;
    channel.Open(QStringLiteral("127.0.0.1"), &listener, peer.port());
    QVERIFY(channel.IsOpen());
    QVERIFY(peer.accept());

    peer.send("screen");
    peer.shutdownSending();
    QTRY_COMPARE(messages.texts(), QStringList{QStringLiteral("Host canale KPROT chiuso")});
    QCOMPARE(messages.entries.first().icon, MessageIcon::Error);
    QCOMPARE(listener.received, QByteArray("screen"));

    // The console keeps its side open: a key and the refresh request still
    // reach the controller, with no further message.
    QVERIFY(channel.IsOpen());
    channel.SendBytes(kKeyMessage);
    channel.SendBytes(kRefreshRequest);
    QCOMPARE(peer.read(4), kKeyMessage + kRefreshRequest);
    QTest::qWait(200);
    QCOMPARE(messages.entries.size(), 1);

    // Close is what ends the console's side.
    channel.Close();
    QCOMPARE(peer.readToEnd(), kKeyMessage + kRefreshRequest);
}

void TestChannelPeer::resetAndOrderlyCloseAreToldApart_data()
{
    QTest::addColumn<bool>("reset");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("icon");
    QTest::newRow("reset") << true << QStringLiteral("Errore ricezione canale KPROT")
                           << int(MessageIcon::Exclamation);
    QTest::newRow("orderly close") << false << QStringLiteral("Host canale KPROT chiuso")
                                   << int(MessageIcon::Error);
}

void TestChannelPeer::resetAndOrderlyCloseAreToldApart()
{
    QFETCH(bool, reset);
    QFETCH(QString, text);
    QFETCH(int, icon);

    RecordingMessages messages;
    RawPeer peer;
    TakingListener listener;
    CKprotChannel channel;
    listener.channel = &channel;
    channel.Open(QStringLiteral("127.0.0.1"), &listener, peer.port());
    QVERIFY(peer.accept());

    // Bytes that came before the end are still offered to the listener.
    peer.send("half a unit");
    QTRY_COMPARE(listener.received, QByteArray("half a unit"));
    if (reset)
        peer.reset();
    else
        peer.closeOrderly();

    QTRY_VERIFY(!messages.entries.isEmpty());
    QTest::qWait(300);
    QCOMPARE(messages.texts(), QStringList{text});
    QCOMPARE(int(messages.entries.first().icon), icon);
    QCOMPARE(messages.entries.first().caption, QStringLiteral("Brenlow"));
    QVERIFY(channel.IsOpen());
    QCOMPARE(listener.received, QByteArray("half a unit"));
}

// On a busy console the controller may take the connection, send its first
// block and reset before the console looks at its connect: the connection was
// made, its bytes are read, and the reset ends it like any later reset.
void TestChannelPeer::resetBeforeTheConnectWasSeenEndsAMadeConnection()
{
    RawPeer peer;
    const int fd = StreamSocket::Create();
    QVERIFY(fd >= 0);
    QVERIFY(StreamSocket::StartConnect(fd, htonl(INADDR_LOOPBACK), peer.port()) >= 0);
    QVERIFY(peer.accept());
    peer.send("first block");
    peer.reset();
    QTest::qWait(50);

    int laterError = 0;
    QCOMPARE(StreamSocket::ConnectResult(fd, &laterError), 0);
    QCOMPARE(laterError, ECONNRESET);
    char bytes[64];
    QCOMPARE(StreamSocket::Receive(fd, bytes, sizeof bytes), qint64(11));
    StreamSocket::Close(fd);

    // A refused connect stays a failure.
    RawPeer *gone = new RawPeer;
    const quint16 unused = gone->port();
    delete gone;
    const int refused = StreamSocket::Create();
    const int started = StreamSocket::StartConnect(refused, htonl(INADDR_LOOPBACK), unused);
    int result = started;
    for (int tries = 0; result == 1 && tries < 100; ++tries) {
        QTest::qWait(10);
        result = StreamSocket::ConnectResult(refused, &laterError);
    }
    QCOMPARE(result, -ECONNREFUSED);
    StreamSocket::Close(refused);
}

void TestChannelPeer::failedSendNeverGoesOutLater()
{
    // Notes, at the moment the failure is shown, how much the controller's
    // socket already holds: everything it ever gets came before that.
    struct NotingMessages : RecordingMessages
    {
        void Show(const QString &caption, const QString &text, MessageIcon icon) override
        {
            RecordingMessages::Show(caption, text, icon);
            if (queuedAtFailure < 0)
                queuedAtFailure = peer->queued();
        }
        RawPeer *peer = nullptr;
        qint64 queuedAtFailure = -1;
    } messages;

    RawPeer peer;
    messages.peer = &peer;
    TakingListener listener;
    CKprotChannel channel;
    listener.channel = &channel;
    channel.SetSendTimeLimit(600);
    channel.Open(QStringLiteral("127.0.0.1"), &listener, peer.port());
    QVERIFY(peer.accept());

    // The controller reads nothing, so the send cannot finish in time.
    const QByteArray big(64 * 1024 * 1024, 'k');
    QElapsedTimer clock;
    clock.start();
    channel.SendBytes(big);
    QVERIFY(clock.elapsed() >= 500);
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("Errore trasmissione canale KPROT")});
    QCOMPARE(messages.entries.first().icon, MessageIcon::Exclamation);
    QVERIFY(messages.queuedAtFailure > 0);
    QVERIFY(messages.queuedAtFailure < big.size());

    // The channel still counts as open, but it sends nothing more: a later
    // key fails at once and is reported too.
    QVERIFY(channel.IsOpen());
    channel.SendBytes(kKeyMessage);
    QCOMPARE(messages.entries.size(), 2);
    QCOMPARE(messages.entries.last().text, QStringLiteral("Errore trasmissione canale KPROT"));

    // The controller reads again: it finds what it held at the failure and
    // not one byte more, neither of the failed send nor of the key.
    QTest::qWait(200);
    const QByteArray got = peer.readToEnd();
    QCOMPARE(qint64(got.size()), messages.queuedAtFailure);
    QCOMPARE(got, big.left(got.size()));
}

void TestChannelPeer::keysSentBeforeAFailedKeyStillArrive()
{
    RecordingMessages messages;
    RawPeer peer(4096);
    TakingListener listener;
    CKprotChannel channel;
    listener.channel = &channel;
    channel.SetSendTimeLimit(300);
    channel.Open(QStringLiteral("127.0.0.1"), &listener, peer.port());
    QVERIFY(peer.accept());

    // The controller reads nothing: key messages fill the connection until
    // one cannot be handed over in time. Each carries its own number.
    QByteArray completed;
    QByteArray key;
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; messages.entries.isEmpty() && clock.elapsed() < 60000; ++n) {
        key = QByteArray(1, char(n & 0xFE)) + char(n >> 7);
        channel.SendBytes(key);
        if (messages.entries.isEmpty())
            completed += key;
    }
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("Errore trasmissione canale KPROT")});
    QVERIFY(completed.size() > 1000);

    // The controller reads again: every key that counted as sent comes, the
    // failed one does not, and nothing after it.
    QVERIFY(channel.IsOpen());
    channel.SendBytes(kRefreshRequest);
    QCOMPARE(messages.entries.size(), 2);
    const QByteArray got = peer.readToEnd(500);
    QCOMPARE(got.size(), completed.size());
    QCOMPARE(got, completed);
}

QTEST_GUILESS_MAIN(TestChannelPeer)
#include "tst_channel_peer.moc"
