// Opening, sending and closing a channel, and how each failure is reported.
#include "KprotChannel.h"
#include "KprotListener.h"
#include "LoopbackServer.h"
#include "RecordingMessages.h"

#include <QtTest>

#include <sys/resource.h>

namespace {

class NullListener : public CKprotListener
{
public:
    void OnChannelData() override { ++calls; }
    int calls = 0;
};

// A loopback port with nothing listening on it.
quint16 ClosedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

class TestChannelLifecycle : public QObject
{
    Q_OBJECT

private slots:
    void failedConnectionsAreReportedAndLeaveTheChannelClosed_data();
    void failedConnectionsAreReportedAndLeaveTheChannelClosed();
    void sendAndCloseOnAFailedChannelDoNothing();
    void localhostResolvesAndKeyMessagesReachTheController();
    void closeTwiceEqualsCloseOnce();
    void ownerMayDeleteTheChannelWhileItsBoxIsUp();
    void noSocketLeftIsAFailureToCreate();
};

void TestChannelLifecycle::failedConnectionsAreReportedAndLeaveTheChannelClosed_data()
{
    QTest::addColumn<QString>("host");
    QTest::newRow("connection refused") << QStringLiteral("127.0.0.1");
    QTest::newRow("host name not resolved") << QStringLiteral("no-such-controller.invalid");
    QTest::newRow("not an address at all") << QStringLiteral("192.168.1");
}

void TestChannelLifecycle::failedConnectionsAreReportedAndLeaveTheChannelClosed()
{
    QFETCH(QString, host);
    RecordingMessages messages;
    NullListener listener;
    CKprotChannel channel;
    channel.Open(host, &listener, ClosedPort());

    QVERIFY(!channel.IsOpen());
    QVERIFY(channel.GetHost().isEmpty());
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("Fallita connessione a host KPROT")});
    QCOMPARE(messages.entries.first().caption, QStringLiteral("Brenlow"));
    QCOMPARE(messages.entries.first().icon, MessageIcon::Error);
}

void TestChannelLifecycle::sendAndCloseOnAFailedChannelDoNothing()
{
    RecordingMessages messages;
    NullListener listener;
    CKprotChannel channel;
    channel.Open(QStringLiteral("127.0.0.1"), &listener, ClosedPort());
    messages.entries.clear();

    channel.SendBytes("\x00\x41", 2);
    channel.Close();
    QVERIFY(messages.entries.isEmpty());
    QVERIFY(!channel.IsOpen());
    QCOMPARE(listener.calls, 0);
}

void TestChannelLifecycle::localhostResolvesAndKeyMessagesReachTheController()
{
    RecordingMessages messages;
    LoopbackServer server;
    NullListener listener;
    CKprotChannel channel;
    channel.Open(QStringLiteral("localhost"), &listener, server.port());
    QVERIFY(channel.IsOpen());
    QCOMPARE(channel.GetHost(), QStringLiteral("localhost"));
    QVERIFY(server.waitForClient());

    channel.SendBytes("\x00\x41", 2);
    channel.SendBytes(QByteArray("\x01\x41", 2));
    QVERIFY(server.waitForReceived(4));
    QCOMPARE(server.received(), QByteArray("\x00\x41\x01\x41", 4));
    QVERIFY(messages.entries.isEmpty());
}

void TestChannelLifecycle::closeTwiceEqualsCloseOnce()
{
    RecordingMessages messages;
    LoopbackServer server;
    NullListener listener;
    CKprotChannel channel;
    channel.Open(server.host(), &listener, server.port());
    QVERIFY(server.waitForClient());

    channel.Close();
    QVERIFY(!channel.IsOpen());
    QVERIFY(channel.GetHost().isEmpty());
    channel.Close();
    QVERIFY(!channel.IsOpen());

    // A closed channel sends nothing and reports nothing.
    channel.SendBytes("\x00\x41", 2);
    QTRY_VERIFY(server.client()->state() != QAbstractSocket::ConnectedState);
    QVERIFY(server.received().isEmpty());
    QVERIFY(messages.entries.isEmpty());
}

void TestChannelLifecycle::ownerMayDeleteTheChannelWhileItsBoxIsUp()
{
    // The operator closes the window while "Host canale KPROT chiuso" is
    // up; the window deletes its channel from inside the box's event loop.
    struct DeletingMessages : RecordingMessages
    {
        void Show(const QString &caption, const QString &text, MessageIcon icon) override
        {
            RecordingMessages::Show(caption, text, icon);
            delete channel;
            channel = nullptr;
        }
        CKprotChannel *channel = nullptr;
    } messages;

    LoopbackServer server;
    NullListener listener;
    messages.channel = new CKprotChannel;
    messages.channel->Open(server.host(), &listener, server.port());
    QVERIFY(server.waitForClient());
    server.send("partial");
    QTRY_COMPARE(listener.calls, 1);
    server.closeClient();
    QTRY_VERIFY(messages.channel == nullptr);
    QTest::qWait(100);
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("Host canale KPROT chiuso")});
    QCOMPARE(listener.calls, 1);
}

void TestChannelLifecycle::noSocketLeftIsAFailureToCreate()
{
    LoopbackServer server;
    RecordingMessages messages;
    NullListener listener;
    CKprotChannel channel;

    // No file descriptor left for a new socket.
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    rlimit none = saved;
    none.rlim_cur = 0;
    ::setrlimit(RLIMIT_NOFILE, &none);
    channel.Open(server.host(), &listener, server.port());
    ::setrlimit(RLIMIT_NOFILE, &saved);

    QVERIFY(!channel.IsOpen());
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("Fallita creazione canale KPROT")});
    QCOMPARE(messages.entries.first().icon, MessageIcon::Error);
}

QTEST_GUILESS_MAIN(TestChannelLifecycle)
#include "tst_channel_lifecycle.moc"
