// While a channel waits in a blocking connect, timers (painting, keyboard
// polling) go on, other channels' read notifications are held back and come
// in order afterwards, and a send on the waiting channel fails at once.
#include "KprotChannel.h"
#include "KprotListener.h"
#include "LoopbackServer.h"
#include "RecordingMessages.h"

#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A listening socket whose accept queue is full, so that a further connect
// hangs (its SYN is dropped) until the socket is closed.
class StalledListener
{
public:
    StalledListener()
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::listen(m_fd, 0);
        socklen_t length = sizeof address;
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
        // Fill the queue with connections that are never accepted.
        for (int i = 0; i < 3; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
            m_fillers.append(fd);
        }
        QTest::qWait(50);
    }
    ~StalledListener()
    {
        close();
        for (int fd : qAsConst(m_fillers))
            ::close(fd);
    }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    quint16 port() const { return m_port; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
    QList<int> m_fillers;
};

class OrderListener : public CKprotListener
{
public:
    OrderListener(QString name, QStringList *log) : m_name(std::move(name)), m_log(log) {}
    void OnChannelData() override
    {
        m_log->append(m_name);
        channel->GetReceiveBuffer().clear();
    }
    CKprotChannel *channel = nullptr;

private:
    QString m_name;
    QStringList *m_log;
};

} // namespace

class TestChannelBlocking : public QObject
{
    Q_OBJECT

private slots:
    void waitingConnectKeepsTimersAndHoldsNotifications();
    void sendOnTheWaitingChannelFailsAtOnce();
};

void TestChannelBlocking::waitingConnectKeepsTimersAndHoldsNotifications()
{
    RecordingMessages messages;
    QStringList log;

    // Two working channels whose controllers send while the third connects.
    LoopbackServer serverB, serverC;
    OrderListener listenerB(QStringLiteral("B"), &log), listenerC(QStringLiteral("C"), &log);
    CKprotChannel channelB, channelC;
    listenerB.channel = &channelB;
    listenerC.channel = &channelC;
    channelB.Open(serverB.host(), &listenerB, serverB.port());
    channelC.Open(serverC.host(), &listenerC, serverC.port());
    QVERIFY(serverB.waitForClient() && serverC.waitForClient());

    StalledListener stalled;
    OrderListener listenerA(QStringLiteral("A"), &log);
    CKprotChannel channelA;
    listenerA.channel = &channelA;

    int idleTicks = 0;
    QStringList seenDuringWait;
    QTimer idle;
    idle.setInterval(0);
    connect(&idle, &QTimer::timeout, [&] {
        ++idleTicks;
        if (idleTicks == 5) {
            serverB.send("b");
            serverC.send("c");
        }
    });
    QTimer::singleShot(400, [&] {
        seenDuringWait = log;
        stalled.close();
    });
    idle.start();

    channelA.Open(QStringLiteral("127.0.0.1"), &listenerA, stalled.port());
    idle.stop();

    QVERIFY(!channelA.IsOpen());
    QVERIFY2(idleTicks > 20, "timers stopped while the connect waited");
    // Nothing was delivered to a listener while the connect waited ...
    QVERIFY(seenDuringWait.isEmpty());
    QVERIFY(log.isEmpty());
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("Fallita connessione a host KPROT")});
    // ... and everything is delivered, in arrival order, afterwards.
    QTRY_COMPARE(log, (QStringList{QStringLiteral("B"), QStringLiteral("C")}));
}

void TestChannelBlocking::sendOnTheWaitingChannelFailsAtOnce()
{
    RecordingMessages messages;
    QStringList log;
    LoopbackServer server;
    OrderListener listener(QStringLiteral("A"), &log);
    CKprotChannel channel;
    listener.channel = &channel;
    channel.Open(server.host(), &listener, server.port());
    QVERIFY(server.waitForClient());

    // A controller that stops reading makes a large send wait.
    server.setReading(false);
    const QByteArray big(32 * 1024 * 1024, 'x');
    bool triedWhileWaiting = false;
    int messagesAtTry = -1;
    QTimer::singleShot(200, [&] {
        triedWhileWaiting = CKprotChannel::IsAnyOperationWaiting();
        channel.SendBytes("\x00\x41", 2);
        messagesAtTry = messages.entries.size();
        server.setReading(true);
    });
    channel.SendBytes(big);

    QVERIFY(triedWhileWaiting);
    QCOMPARE(messagesAtTry, 1);
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("Errore trasmissione canale KPROT")});
    QCOMPARE(messages.entries.first().icon, MessageIcon::Exclamation);
    // The waiting send itself completed; the refused key message never went out.
    QVERIFY(channel.IsOpen());
    QVERIFY(server.waitForReceived(big.size(), 20000));
    QTest::qWait(50);
    QCOMPARE(server.received().size(), big.size());
}

QTEST_GUILESS_MAIN(TestChannelBlocking)
#include "tst_channel_blocking.moc"
