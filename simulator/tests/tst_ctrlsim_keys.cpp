// What the controller makes of key messages and of its command line.
#include "KeyLog.h"
#include "KeyMessage.h"
#include "KeypadInput.h"
#include "SimOptions.h"

#include <QtTest>

class TestCtrlsimKeys : public QObject
{
    Q_OBJECT

private slots:
    void keyLogLineHasTimeFlagsAndCode();
    void oddByteWaitsForItsPartner();
    void inputLineFollowsTheKeypad_data();
    void inputLineFollowsTheKeypad();
    void lastKeyIsNamedAsOnTheKeypad_data();
    void lastKeyIsNamedAsOnTheKeypad();
    void commandLineIsCheckedBeforeAnythingListens_data();
    void commandLineIsCheckedBeforeAnythingListens();
};

void TestCtrlsimKeys::keyLogLineHasTimeFlagsAndCode()
{
    QCOMPARE(FormatKeyLogLine(QTime(1, 2, 3, 45), 0x0A, 0xFF),
             QByteArray("01:02:03.045 key flags=0x0a code=0xff\n"));
    QCOMPARE(FormatKeyLogLine(QTime(23, 59, 59, 999), 0x10, 0x65),
             QByteArray("23:59:59.999 key flags=0x10 code=0x65\n"));
}

void TestCtrlsimKeys::oddByteWaitsForItsPartner()
{
    KeyMessageAssembler assembler;
    QList<QPair<int, int>> messages;
    const auto record = [&](quint8 flags, quint8 code) { messages.append({flags, code}); };

    QCOMPARE(assembler.Feed(QByteArray::fromHex("00"), record), 0);
    QVERIFY(assembler.HasPendingByte());
    QCOMPARE(assembler.Feed(QByteArray::fromHex("4110"), record), 1);
    QVERIFY(assembler.HasPendingByte());
    QCOMPARE(assembler.Feed(QByteArray::fromHex("6504"), record), 1);
    QCOMPARE(assembler.Feed(QByteArray::fromHex("71"), record), 1);
    QVERIFY(!assembler.HasPendingByte());
    QCOMPARE(messages, (QList<QPair<int, int>>{{0x00, 0x41}, {0x10, 0x65}, {0x04, 0x71}}));
}

void TestCtrlsimKeys::inputLineFollowsTheKeypad_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<QByteArray>("messages");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("entered");

    QTest::newRow("letters typed on make only") << 1 << QByteArray::fromHex("0048014800490149") << "HI" << "";
    QTest::newRow("SHIFT sends the small letter") << 1 << QByteArray::fromHex("04710571") << "q" << "";
    QTest::newRow("layout 0 DEL is special 0x02")
        << 0 << QByteArray::fromHex("0041004210021102") << "A" << "";
    QTest::newRow("layout 1 DEL is 0x7f") << 1 << QByteArray::fromHex("00410042007f") << "A" << "";
    QTest::newRow("layout 0 RETURN confirms the line")
        << 0 << QByteArray::fromHex("0031003210051105") << "" << "12";
    QTest::newRow("layout 2 RETURN is 0x0d") << 2 << QByteArray::fromHex("0037000d0038") << "8" << "7";
    QTest::newRow("ESC clears without confirming")
        << 0 << QByteArray::fromHex("00411006") << "" << "";
    QTest::newRow("layout 1 ESC is 0x1b") << 1 << QByteArray::fromHex("0041001b") << "" << "";
    QTest::newRow("CTRL and ENT make commands, not text")
        << 0 << QByteArray::fromHex("025108510041") << "A" << "";
    QTest::newRow("function keys type nothing")
        << 1 << QByteArray::fromHex("00f01012001b0020") << " " << "";
    QTest::newRow("backspace on an empty line") << 1 << QByteArray::fromHex("007f007f0041") << "A" << "";
}

void TestCtrlsimKeys::inputLineFollowsTheKeypad()
{
    QFETCH(int, layout);
    QFETCH(QByteArray, messages);
    QFETCH(QString, input);
    QFETCH(QString, entered);

    KeypadInput keypad(layout);
    for (int i = 0; i + 1 < messages.size(); i += 2)
        keypad.Apply(quint8(messages.at(i)), quint8(messages.at(i + 1)));
    QCOMPARE(keypad.Input(), input);
    QCOMPARE(keypad.Entered(), entered);
    QCOMPARE(keypad.MessageCount(), quint64(messages.size() / 2));
}

void TestCtrlsimKeys::lastKeyIsNamedAsOnTheKeypad_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("description");

    QTest::newRow("layout 0 F0 under SHIFT") << 0 << 0x14 << 0x12 << "SHIFT+F0 make";
    QTest::newRow("layout 0 F9 released") << 0 << 0x11 << 0x1B << "F9 break";
    QTest::newRow("layout 1 F0") << 1 << 0x00 << 0xF0 << "F0 make";
    QTest::newRow("layout 1 FN and DEL") << 1 << 0x02 << 0x7F << "CTRL/FN+DEL make";
    QTest::newRow("layout 1 big arrow") << 1 << 0x00 << 0xEB << "FRECCETTONE SU make";
    QTest::newRow("layout 2 snail on the same code") << 2 << 0x00 << 0xEB << "LUMACA make";
    QTest::newRow("layout 2 big arrow") << 2 << 0x01 << 0xE6 << "FRECCETTONE GIU break";
    QTest::newRow("layout 2 ALT latch") << 2 << 0x08 << 0x35 << "ALT+5 make";
    QTest::newRow("layout 0 ENT latch") << 0 << 0x08 << 0x35 << "ENT+5 make";
    QTest::newRow("space") << 0 << 0x00 << 0x20 << "SPACE make";
    QTest::newRow("unknown code") << 1 << 0x00 << 0x99 << "CODE 0x99 make";
}

void TestCtrlsimKeys::lastKeyIsNamedAsOnTheKeypad()
{
    QFETCH(int, layout);
    QFETCH(int, flags);
    QFETCH(int, code);
    QFETCH(QString, description);
    QCOMPARE(DescribeKeyMessage(quint8(flags), quint8(code), layout), description);
}

void TestCtrlsimKeys::commandLineIsCheckedBeforeAnythingListens_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("detail");

    QTest::newRow("defaults") << QStringList() << true << "127.0.0.1 mono 0 9 0 16721 16737 1000";
    QTest::newRow("second controller")
        << QStringList{"--address", "127.0.0.3", "--format", "rle", "--layout", "2", "--chip", "4",
                       "--revision", "2", "--screen-port", "0", "--stats-port", "0", "--rate-ms", "250"}
        << true << "127.0.0.3 rle 2 4 2 0 0 250";
    QTest::newRow("localhost") << QStringList{"--address", "localhost"} << true
                               << "127.0.0.1 mono 0 9 0 16721 16737 1000";
    QTest::newRow("outside loopback") << QStringList{"--address", "10.1.2.3"} << false << "127.0.0.0/8";
    QTest::newRow("outside loopback, allowed")
        << QStringList{"--address", "10.1.2.3", "--allow-any-address"} << true
        << "10.1.2.3 mono 0 9 0 16721 16737 1000";
    QTest::newRow("host name") << QStringList{"--address", "controller7"} << false << "numeric";
    QTest::newRow("unknown format") << QStringList{"--format", "colour"} << false << "mono, raw or rle";
    QTest::newRow("layout 3") << QStringList{"--layout", "3"} << false << "--layout";
    QTest::newRow("port too high") << QStringList{"--screen-port", "65536"} << false << "--screen-port";
    QTest::newRow("same port twice")
        << QStringList{"--screen-port", "5000", "--stats-port", "5000"} << false << "differ";
    QTest::newRow("rate not a number") << QStringList{"--rate-ms", "fast"} << false << "--rate-ms";
    QTest::newRow("negative count") << QStringList{"--close-after", "-1"} << false << "--close-after";
    QTest::newRow("trickle delay too long") << QStringList{"--trickle-ms", "60001"} << false << "--trickle-ms";
    QTest::newRow("unknown option") << QStringList{"--colour"} << false << "colour";
    QTest::newRow("stray argument") << QStringList{"127.0.0.2"} << false << "unexpected";
}

void TestCtrlsimKeys::commandLineIsCheckedBeforeAnythingListens()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, accepted);
    QFETCH(QString, detail);

    SimOptions options;
    QString message;
    const ParseOutcome outcome = ParseSimOptions(QStringList{"ctrlsim"} + arguments, &options, &message);
    if (!accepted) {
        QCOMPARE(outcome, ParseOutcome::Error);
        QVERIFY2(message.contains(detail), qPrintable(message));
        return;
    }
    QCOMPARE(outcome, ParseOutcome::Run);
    const QString summary = QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                                .arg(options.address.toString(), FormatName(options.format))
                                .arg(options.layout)
                                .arg(options.chipId)
                                .arg(options.revision)
                                .arg(options.screenPort)
                                .arg(options.statsPort)
                                .arg(options.rateMs);
    QCOMPARE(summary, detail);
}

QTEST_APPLESS_MAIN(TestCtrlsimKeys)
#include "tst_ctrlsim_keys.moc"
