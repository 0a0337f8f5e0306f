// Statistics records taken from the front of the statistics channel's
// buffer, and the texts a record puts on the window.
#include "StatisticsTexts.h"
#include "StatisticsPayload.h"
#include "StatisticsRecordParser.h"

#include <QSet>
#include <QtTest>

#include <climits>

using StatisticsPayload::Record;
using namespace StatisticsTexts;

class TestStatsRecords : public QObject
{
    Q_OBJECT

private slots:
    void recordsSplitAnywhereDecodeTheSame_data();
    void recordsSplitAnywhereDecodeTheSame();
    void twoRecordsInOneReadKeepTheSecond();
    void lastPayloadByteCompletesTheRecord();
    void foreignKindByteEmptiesTheBuffer_data();
    void foreignKindByteEmptiesTheBuffer();
    void valuesAreSignedLittleEndian_data();
    void valuesAreSignedLittleEndian();
    void chipLine_data();
    void chipLine();
    void unknownChipGivesNoTextsAtAll_data();
    void unknownChipGivesNoTextsAtAll();
    void everyKeptOffsetHasOneControl();
};

void TestStatsRecords::recordsSplitAnywhereDecodeTheSame_data()
{
    QTest::addColumn<int>("pieceSize");
    QTest::newRow("byte by byte") << 1;
    QTest::newRow("odd pieces") << 7;
    QTest::newRow("payload size") << 256;
    QTest::newRow("record size") << 257;
    QTest::newRow("straddling") << 300;
    QTest::newRow("three records at once") << 3 * 257;
}

void TestStatsRecords::recordsSplitAnywhereDecodeTheSame()
{
    QFETCH(int, pieceSize);
    const QByteArray stream = Record(4, 1, 1000) + Record(5, 2, 2000) + Record(9, 3, 3000);

    StatisticsRecordParser parser;
    QByteArray buffer;
    QList<qint32> decodedChips;
    for (int i = 0; i < stream.size(); i += pieceSize) {
        buffer.append(stream.mid(i, pieceSize));
        if (parser.Parse(buffer))
            decodedChips.append(parser.LastRecord().ValueAt(0));
        QVERIFY(buffer.size() < StatisticsRecordParser::kRecordSize);
    }
    QVERIFY(buffer.isEmpty());
    QCOMPARE(decodedChips.last(), 9);
    QCOMPARE(parser.LastRecord().ValueAt(4), 3);
    QCOMPARE(parser.LastRecord().ValueAt(116), 3116);
    // Every read that completes a record reports it, and no record twice.
    QCOMPARE(decodedChips.size(), std::min(3, int((stream.size() + pieceSize - 1) / pieceSize)));
}

void TestStatsRecords::twoRecordsInOneReadKeepTheSecond()
{
    StatisticsRecordParser parser;
    QByteArray buffer = Record(4, 2, 100) + Record(9, 0, 200) + QByteArray(10, '\0');
    QVERIFY(parser.Parse(buffer));
    QCOMPARE(parser.LastRecord().ValueAt(0), 9);
    QCOMPARE(parser.LastRecord().ValueAt(84), 284);
    // The start of a third record stays for the next read.
    QCOMPARE(buffer, QByteArray(10, '\0'));
}

void TestStatsRecords::lastPayloadByteCompletesTheRecord()
{
    const QByteArray record = Record(7, 1, 50);
    StatisticsRecordParser parser;
    QByteArray buffer = record.left(256);
    QVERIFY(!parser.Parse(buffer));
    QCOMPARE(buffer, record.left(256));
    QVERIFY(!parser.Parse(buffer)); // a read that brought nothing changes nothing
    QCOMPARE(buffer.size(), 256);

    buffer.append(record.right(1));
    QVERIFY(parser.Parse(buffer));
    QVERIFY(buffer.isEmpty());
    QCOMPARE(parser.LastRecord().ValueAt(0), 7);
    QCOMPARE(parser.LastRecord().ValueAt(8), 58);
}

void TestStatsRecords::foreignKindByteEmptiesTheBuffer_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<bool>("decoded");
    QTest::addColumn<qint32>("lastChip");

    const QByteArray good = Record(8, 4, 10);
    // Dropping means dropping: a whole record behind the bad byte goes too,
    // it is not searched for.
    QTest::newRow("kind 1 before a record") << QByteArray(1, '\x01') + good << false << 0;
    QTest::newRow("kind FF alone") << QByteArray(1, '\xFF') << false << 0;
    QTest::newRow("kind 0x80 after a record") << good + QByteArray(1, '\x80') + good << true << 8;
    QTest::newRow("record then garbage") << good + QByteArray("\x02garbage", 8) << true << 8;
}

void TestStatsRecords::foreignKindByteEmptiesTheBuffer()
{
    QFETCH(QByteArray, stream);
    QFETCH(bool, decoded);
    QFETCH(qint32, lastChip);

    StatisticsRecordParser parser;
    QByteArray buffer = stream;
    QCOMPARE(parser.Parse(buffer), decoded);
    QVERIFY(buffer.isEmpty());
    QCOMPARE(parser.LastRecord().ValueAt(0), lastChip);

    // The stream is in step again with the next record.
    buffer = Record(3, 9, 70);
    QVERIFY(parser.Parse(buffer));
    QCOMPARE(parser.LastRecord().ValueAt(0), 3);
    QCOMPARE(parser.LastRecord().ValueAt(4), 9);
}

void TestStatsRecords::valuesAreSignedLittleEndian_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint32>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("all FF") << QByteArray("\xFF\xFF\xFF\xFF", 4) << -1 << QStringLiteral("-1");
    QTest::newRow("lowest") << QByteArray("\x00\x00\x00\x80", 4) << INT_MIN << QStringLiteral("-2147483648");
    QTest::newRow("highest") << QByteArray("\xFF\xFF\xFF\x7F", 4) << INT_MAX << QStringLiteral("2147483647");
    QTest::newRow("byte order") << QByteArray("\x01\x02\x03\x04", 4) << 0x04030201 << QStringLiteral("67305985");
    QTest::newRow("zero") << QByteArray(4, '\0') << 0 << QStringLiteral("0");
}

void TestStatsRecords::valuesAreSignedLittleEndian()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint32, value);
    QFETCH(QString, text);

    // The last kept counter, tx_IP_busy at payload offset 116.
    QByteArray buffer = Record(4, 0, 0);
    buffer.replace(1 + 116, 4, bytes);
    StatisticsRecordParser parser;
    QVERIFY(parser.Parse(buffer));
    QCOMPARE(parser.LastRecord().ValueAt(116), value);
    QCOMPARE(FormatStatistics(parser.LastRecord()).value(StatisticsIds::IDC_TX_IP_BUSY), text);
}

void TestStatsRecords::chipLine_data()
{
    QTest::addColumn<qint32>("chipId");
    QTest::addColumn<qint32>("revision");
    QTest::addColumn<QString>("line");

    QTest::newRow("3") << 3 << 1 << QStringLiteral("LAN91C90/92  rev. 1");
    QTest::newRow("4") << 4 << 2 << QStringLiteral("LAN91C94/96  rev. 2");
    QTest::newRow("5") << 5 << 15 << QStringLiteral("LAN91C95  rev. 15");
    QTest::newRow("7") << 7 << 3 << QStringLiteral("LAN91C100  rev. 3");
    QTest::newRow("8") << 8 << 1 << QStringLiteral("LAN91C100FD  rev. 1");
    QTest::newRow("9 rev 0") << 9 << 0 << QStringLiteral("LAN91C110  rev. 0");
    QTest::newRow("negative revision") << 9 << -1 << QStringLiteral("LAN91C110  rev. -1");
}

void TestStatsRecords::chipLine()
{
    QFETCH(qint32, chipId);
    QFETCH(qint32, revision);
    QFETCH(QString, line);

    const QByteArray bytes = Record(chipId, revision, 0);
    const auto texts = FormatStatistics(StatisticsRecord::FromPayload(bytes.constData() + 1));
    QCOMPARE(texts.value(StatisticsIds::IDC_CHIP_LINE), line);
    QCOMPARE(texts.size(), 29);
}

void TestStatsRecords::unknownChipGivesNoTextsAtAll_data()
{
    QTest::addColumn<qint32>("chipId");
    QTest::newRow("6") << 6;
    QTest::newRow("0") << 0;
    QTest::newRow("2") << 2;
    QTest::newRow("10") << 10;
    QTest::newRow("-1") << -1;
    QTest::newRow("9 in a higher byte") << 0x109;
}

void TestStatsRecords::unknownChipGivesNoTextsAtAll()
{
    QFETCH(qint32, chipId);
    const QByteArray bytes = Record(chipId, 1, 500);
    QVERIFY(FormatStatistics(StatisticsRecord::FromPayload(bytes.constData() + 1)).isEmpty());
}

void TestStatsRecords::everyKeptOffsetHasOneControl()
{
    // Offsets 8..116 are the counters, each shown by a control of its own.
    QSet<int> offsets;
    QSet<int> ids;
    for (const auto &counter : StatisticsCounters()) {
        QVERIFY(counter.offset >= 8 && counter.offset < 120 && counter.offset % 4 == 0);
        offsets.insert(counter.offset);
        ids.insert(counter.controlId);
    }
    QCOMPARE(offsets.size(), 28);
    QCOMPARE(ids.size(), 28);
    QVERIFY(!ids.contains(StatisticsIds::IDC_CHIP_LINE));

    const QByteArray bytes = Record(5, 0, 7000);
    const auto texts = FormatStatistics(StatisticsRecord::FromPayload(bytes.constData() + 1));
    for (const auto &counter : StatisticsCounters())
        QCOMPARE(texts.value(counter.controlId), QString::number(7000 + counter.offset));
}

QTEST_APPLESS_MAIN(TestStatsRecords)
#include "tst_stats_records.moc"
