#include "KeyLedger.h"
#include "KeyMessage.h"
#include "KprotChannel.h"
#include "KprotListener.h"
#include "LogCapture.h"
#include "LoopbackServer.h"
#include "RecordingMessages.h"

#include <QTest>

// What a technician reads with QT_LOGGING_RULES: the keys a controller was
// sent or not sent, and why, and what its connection went through.

namespace {

class QuietListener final : public CKprotListener
{
public:
    void OnChannelData() override {}
};

} // namespace

class TestConsoleLog : public QObject
{
    Q_OBJECT

private slots:
    void keysAndChannelTellWhatHappened();
};

void TestConsoleLog::keysAndChannelTellWhatHappened()
{
    LoopbackServer server(QHostAddress(QStringLiteral("127.0.0.1")));
    QVERIFY(server.isListening());
    RecordingMessages messages;
    QuietListener listener;
    CKprotChannel channel;
    CKeyLedger ledger;
    LogCapture capture({QStringLiteral("brenlow.keys"), QStringLiteral("brenlow.channel")});

    // Off unless switched on: the console says nothing in the field.
    channel.Open(server.host(), &listener, server.port());
    QVERIFY(channel.IsOpen());
    ledger.Send(&channel, KF_SHIFT, 0x30);
    ledger.Send(&channel, KF_SHIFT | KF_BREAK, 0x30);
    if (!qEnvironmentVariable("QT_LOGGING_RULES").contains(QLatin1String("brenlow")))
        QVERIFY2(capture.lines().isEmpty(), qPrintable(capture.lines().join(QLatin1Char('\n'))));

    capture.setEnabled(true);
    ledger.Send(&channel, KF_SHIFT, 0x51);            // sent
    ledger.Send(&channel, KF_SHIFT, 0x51);            // already down
    ledger.Send(nullptr, KF_SHIFT | KF_BREAK, 0x51);  // goes where the make went
    ledger.Send(&channel, KF_BREAK, 0x52);            // never made
    ledger.Send(nullptr, 0, 0x53);                    // no screen window
    QVERIFY(server.waitForReceived(8));
    QCOMPARE(server.received().right(4), QByteArray("\x04\x51\x05\x51", 4));
    channel.Close();

    const QString host = server.host();
    QCOMPARE(capture.count({QStringLiteral("brenlow.keys: make 0x04 0x51 to"), host}), 1);
    QCOMPARE(capture.count({QStringLiteral("make 0x04 0x51 not sent"), QStringLiteral("already down")}), 1);
    QCOMPARE(capture.count({QStringLiteral("break 0x05 0x51 to"), host, QStringLiteral("got the make")}), 1);
    QCOMPARE(capture.count({QStringLiteral("break 0x01 0x52 not sent"), QStringLiteral("no controller holds")}), 1);
    QCOMPARE(capture.count({QStringLiteral("make 0x00 0x53 not sent"), QStringLiteral("no screen window")}), 1);
    QCOMPARE(capture.count({QStringLiteral("brenlow.channel: sent 2 bytes to"), host}), 2);
    QCOMPARE(capture.count({QStringLiteral("brenlow.channel: closing the connection to"), host}), 1);
    QVERIFY(messages.entries.isEmpty());
}

QTEST_MAIN(TestConsoleLog)
#include "tst_console_log.moc"
