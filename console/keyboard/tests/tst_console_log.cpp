#include "KeyLedger.h"
#include "KeyMessage.h"
#include "KprotChannel.h"
#include "KprotListener.h"
#include "LogCapture.h"
#include "LoopbackServer.h"
#include "RecordingMessages.h"

#include <QTest>

// What a technician reads with QT_LOGGING_RULES: the keys a controller was
// sent or not, and why, and what its connection went through.
class TestConsoleLog : public QObject, private CKprotListener
{
    Q_OBJECT

    void OnChannelData() override {}

private slots:
    void keysAndChannelTellWhatHappened();
};

void TestConsoleLog::keysAndChannelTellWhatHappened()
{
    LoopbackServer server(QHostAddress(QStringLiteral("127.0.0.1")));
    RecordingMessages messages;
    CKprotChannel channel;
    CKeyLedger ledger;
    const QStringList categories{QStringLiteral("brenlow.keys"), QStringLiteral("brenlow.channel")};
    {
        // Off unless switched on: the console says nothing in the field.
        const LogCapture off(categories, false);
        channel.Open(server.host(), this, server.port());
        ledger.Send(&channel, KF_SHIFT, 0x30);
        if (!qEnvironmentVariable("QT_LOGGING_RULES").contains(QLatin1String("brenlow")))
            QCOMPARE(off.lines(), QStringList());
    }
    const LogCapture capture(categories);
    ledger.Send(&channel, KF_SHIFT, 0x30);           // already down
    ledger.Send(nullptr, KF_SHIFT | KF_BREAK, 0x30); // goes where the make went
    ledger.Send(&channel, KF_BREAK, 0x52);           // never made
    ledger.Send(nullptr, 0, 0x53);                   // no screen window
    QVERIFY(server.waitForReceived(4));
    channel.Close();

    const QString host = server.host();
    QCOMPARE(capture.lines({QStringLiteral("make 0x04 0x30 not sent"), QStringLiteral("already down on"), host}).size(), 1);
    QCOMPARE(capture.lines({QStringLiteral("keys: break 0x05 0x30 to"), host, QStringLiteral("got the make")}).size(), 1);
    QCOMPARE(capture.lines({QStringLiteral("break 0x01 0x52 not sent"), QStringLiteral("no controller holds")}).size(), 1);
    QCOMPARE(capture.lines({QStringLiteral("make 0x00 0x53 not sent"), QStringLiteral("no screen window")}).size(), 1);
    QCOMPARE(capture.lines({QStringLiteral("channel: sent 2 bytes to"), host}).size(), 1);
    QCOMPARE(capture.lines({QStringLiteral("channel: closing the connection to"), host}).size(), 1);
    QVERIFY(messages.entries.isEmpty());
}

QTEST_MAIN(TestConsoleLog)
#include "tst_console_log.moc"
