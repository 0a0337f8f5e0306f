// Screen blocks and statistics records as a console reads them: every
// encoder is checked by the independent decoder of the tests.
#include "ControllerStatistics.h"
#include "PanelCanvas.h"
#include "PanelDecoder.h"
#include "ScreenEncoder.h"
#include "StatisticsRecord.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

PanelCanvas RandomCanvas(PanelFormat format, quint32 seed)
{
    QRandomGenerator random(seed);
    const bool mono = format == PanelFormat::Mono;
    PanelCanvas canvas = mono ? PanelCanvas(240, 136) : PanelCanvas(320, 240);
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x)
            canvas.SetPixel(x, y, mono ? quint8(random.bounded(2u)) : quint8(random.bounded(256u)));
    }
    return canvas;
}

// Colour rows whose runs a console must expand to exactly 320 columns.
PanelCanvas RowPatterns()
{
    PanelCanvas canvas(320, 240, 0x1C);              // row 0: one colour throughout
    for (int x = 0; x < 320; ++x) {
        canvas.SetPixel(x, 1, quint8(x));            // row 1: no two pairs alike
        canvas.SetPixel(x, 2, quint8(x % 2 ? 7 : 200)); // row 2: one pair repeated 160 times
        canvas.SetPixel(x, 3, quint8(x < 319 ? 5 : 6)); // row 3: differs in the last pixel only
        canvas.SetPixel(x, 4, quint8(x / 40));       // row 4: stretches of 20 pairs
    }
    return canvas;
}

qint32 WordAt(const QByteArray &record, int payloadOffset)
{
    const auto byte = [&](int i) { return quint32(quint8(record.at(1 + payloadOffset + i))); };
    return qint32(byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24);
}

} // namespace

class TestCtrlsimEncoding : public QObject
{
    Q_OBJECT

private slots:
    void kindByteCarriesFormatAndLayout_data();
    void kindByteCarriesFormatAndLayout();
    void monoBandsPackEightPixelsLeftmostInBitZero();
    void everyFormatRoundTripsTheWholePanel_data();
    void everyFormatRoundTripsTheWholePanel();
    void runLengthLinesCoverExactly320Columns();
    void longRunsAreSplitAtTheCountLimit();
    void faultBlockCarriesTheGivenNumber();
    void statisticsRecordHasTheFieldsAtTheirOffsets();
    void statisticsCountersOnlyGrow();
};

void TestCtrlsimEncoding::kindByteCarriesFormatAndLayout_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("layout");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("blockSize");
    // Run-length: a blank line is one run of 160 pairs, 4 + 3 bytes.
    const int sizes[] = {242, 322, 7};
    for (int layout = 0; layout < 3; ++layout) {
        for (int format = 0; format < 3; ++format) {
            QTest::addRow("format %d layout %d", format, layout)
                << format << layout << format + 3 * layout << sizes[format];
        }
    }
}

void TestCtrlsimEncoding::kindByteCarriesFormatAndLayout()
{
    QFETCH(int, format);
    QFETCH(int, layout);
    QFETCH(int, kind);
    QFETCH(int, blockSize);
    const PanelCanvas canvas = format == 0 ? PanelCanvas(240, 136) : PanelCanvas(320, 240);
    const QByteArray block = EncodeScreenBlock(PanelFormat(format), layout, canvas, 5);
    QCOMPARE(int(quint8(block.at(0))), kind);
    QCOMPARE(block.size(), blockSize);

    PanelDecoder decoder;
    QByteArray stream = block;
    DecodedBlock decoded;
    QCOMPARE(decoder.DecodeNext(stream, &decoded), PanelDecoder::Result::Block);
    QCOMPARE(decoded.number, 5);
    QVERIFY(stream.isEmpty());
}

void TestCtrlsimEncoding::monoBandsPackEightPixelsLeftmostInBitZero()
{
    PanelCanvas canvas(240, 136);
    canvas.SetPixel(0, 8, 1);     // band 1, row 0, byte 0, bit 0
    canvas.SetPixel(15, 9, 1);    // band 1, row 1, byte 1, bit 7
    canvas.SetPixel(239, 15, 1);  // band 1, row 7, byte 29, bit 7
    const QByteArray block = EncodeScreenBlock(PanelFormat::Mono, 0, canvas, 1);
    QCOMPARE(block.size(), 242);
    QCOMPARE(int(quint8(block.at(1))), 1);
    const QByteArray pixels = block.mid(2);
    for (int j = 0; j < 240; ++j) {
        int expected = 0;
        if (j == 0)
            expected = 0x01;
        else if (j == 30 + 1)
            expected = 0x80;
        else if (j == 7 * 30 + 29)
            expected = 0x80;
        QCOMPARE(int(quint8(pixels.at(j))), expected);
    }
}

void TestCtrlsimEncoding::everyFormatRoundTripsTheWholePanel_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("monochrome bands") << int(PanelFormat::Mono);
    QTest::newRow("raw colour lines") << int(PanelFormat::Raw);
    QTest::newRow("run-length colour lines") << int(PanelFormat::Rle);
}

void TestCtrlsimEncoding::everyFormatRoundTripsTheWholePanel()
{
    QFETCH(int, format);
    const PanelFormat panelFormat = PanelFormat(format);
    const PanelCanvas canvas = RandomCanvas(panelFormat, 42);

    QByteArray stream;
    for (int unit = 0; unit < UnitCount(panelFormat); ++unit)
        stream.append(EncodeScreenBlock(panelFormat, 2, canvas, unit));

    PanelDecoder decoder;
    DecodedBlock block;
    int blocks = 0;
    while (!stream.isEmpty()) {
        QCOMPARE(decoder.DecodeNext(stream, &block), PanelDecoder::Result::Block);
        QCOMPARE(block.number, blocks);
        ++blocks;
    }
    QCOMPARE(blocks, UnitCount(panelFormat));

    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const int decoded = panelFormat == PanelFormat::Mono ? decoder.MonoPixel(x, y) : decoder.At(x, y);
            if (decoded != canvas.At(x, y))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 decoded as %3, drawn as %4")
                                     .arg(x).arg(y).arg(decoded).arg(canvas.At(x, y))));
        }
    }
}

void TestCtrlsimEncoding::runLengthLinesCoverExactly320Columns()
{
    const PanelCanvas canvas = RowPatterns();
    const int expectedRuns[] = {1, 160, 1, 2, 8};
    for (int line = 0; line < 5; ++line) {
        QByteArray stream = EncodeScreenBlock(PanelFormat::Rle, 0, canvas, line);
        const int length = quint8(stream.at(1)) | quint8(stream.at(2)) << 8;
        QCOMPARE(stream.size(), 4 + length);
        QCOMPARE(length, 3 * expectedRuns[line]);

        PanelDecoder decoder;
        DecodedBlock block;
        QCOMPARE(decoder.DecodeNext(stream, &block), PanelDecoder::Result::Block);
        for (int x = 0; x < 320; ++x)
            QCOMPARE(decoder.At(x, line), canvas.At(x, line));
    }
}

void TestCtrlsimEncoding::longRunsAreSplitAtTheCountLimit()
{
    // A row longer than a panel line shows the split a count byte forces.
    const QByteArray row(2 * (255 + 255 + 3), char(0x42));
    QByteArray runs;
    AppendPixelRuns(runs, reinterpret_cast<const quint8 *>(row.constData()), row.size());
    QCOMPARE(runs, QByteArray::fromHex("ff4242" "ff4242" "034242"));

    QByteArray exact;
    AppendPixelRuns(exact, reinterpret_cast<const quint8 *>(row.constData()), 2 * 255);
    QCOMPARE(exact, QByteArray::fromHex("ff4242"));
}

void TestCtrlsimEncoding::faultBlockCarriesTheGivenNumber()
{
    const PanelCanvas colour = RandomCanvas(PanelFormat::Raw, 7);
    const QByteArray good = EncodeScreenBlock(PanelFormat::Raw, 1, colour, 0);
    const QByteArray bad = EncodeScreenBlock(PanelFormat::Raw, 1, colour, 0, 240);
    QCOMPARE(bad.size(), good.size());
    QCOMPARE(int(quint8(bad.at(1))), 240);
    QCOMPARE(bad.mid(2), good.mid(2));

    const QByteArray badRle = EncodeScreenBlock(PanelFormat::Rle, 0, colour, 0, 255);
    QCOMPARE(int(quint8(badRle.at(3))), 255);
    QByteArray stream = badRle;
    PanelDecoder decoder;
    DecodedBlock block;
    QCOMPARE(decoder.DecodeNext(stream, &block), PanelDecoder::Result::BadNumber);
    QCOMPARE(block.number, 255);
}

void TestCtrlsimEncoding::statisticsRecordHasTheFieldsAtTheirOffsets()
{
    StatsValues values{};
    for (int field = 0; field < kStatsFieldCount; ++field)
        values[size_t(field)] = 1000 + field;
    values[size_t(StatsField::RxPacked)] = -1;
    const QByteArray record = EncodeStatisticsRecord(values);

    QCOMPARE(record.size(), 257);
    QCOMPARE(int(record.at(0)), 0);
    const struct { int offset; StatsField field; } layout[] = {
        {0, StatsField::ChipId},           {4, StatsField::ChipRevision},
        {8, StatsField::RegArrFailed},     {20, StatsField::RegDataLength},
        {28, StatsField::RegEphsrSnglCol}, {40, StatsField::RegEphsr16Col},
        {80, StatsField::RegEphsrTxUnrn},  {84, StatsField::TxKbyte},
        {88, StatsField::TxPacked},        {92, StatsField::RxKbyte},
        {100, StatsField::RxEthUnknown},   {104, StatsField::RxIeee802Unknown},
        {108, StatsField::TxRetry},        {112, StatsField::TxFineRetry},
        {116, StatsField::TxIpBusy},
    };
    for (const auto &entry : layout)
        QCOMPARE(WordAt(record, entry.offset), 1000 + int(entry.field));
    QCOMPARE(record.mid(1 + 96, 4), QByteArray(4, char(0xFF)));
    QCOMPARE(record.mid(1 + 120), QByteArray(136, '\0'));
}

void TestCtrlsimEncoding::statisticsCountersOnlyGrow()
{
    ControllerStatistics statistics(4, 2, 99);
    statistics.CountSent(3000, 5);
    statistics.CountReceived(100, 50);
    StatsValues previous = statistics.Values();
    QCOMPARE(previous[size_t(StatsField::ChipId)], 4);
    QCOMPARE(previous[size_t(StatsField::ChipRevision)], 2);
    QCOMPARE(previous[size_t(StatsField::TxKbyte)], 2);
    QCOMPARE(previous[size_t(StatsField::TxPacked)], 5);
    QCOMPARE(previous[size_t(StatsField::RxPacked)], 50);

    for (int second = 0; second < 200; ++second) {
        statistics.AdvanceSecond();
        const StatsValues now = statistics.Values();
        QVERIFY(now[size_t(StatsField::RxPacked)] > previous[size_t(StatsField::RxPacked)]);
        for (int field = int(StatsField::RegEphsrSnglCol); field < kStatsFieldCount; ++field)
            QVERIFY2(now[size_t(field)] >= previous[size_t(field)], qPrintable(QString::number(field)));
        previous = now;
    }
    QVERIFY(previous[size_t(StatsField::RegEphsrSnglCol)] > 0);
    QVERIFY(previous[size_t(StatsField::TxRetry)] > 0);
}

QTEST_APPLESS_MAIN(TestCtrlsimEncoding)
#include "tst_ctrlsim_encoding.moc"
