// Decoding the controller's screen stream: complete blocks only, the right
// rows, resynchronisation by emptying, and hostile run-length blocks.
#include "ScreenBlockParser.h"
#include "ScreenBlocks.h"
#include "ScreenImage.h"

#include <QtTest>

using namespace ScreenBlocks;

class TestScreenParser : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void splitBlockDecodesOnlyWhenComplete();
    void twoAndAHalfBlocksDecodeTwoAndKeepTheHalf();
    void invalidKindEmptiesBufferBehindDecodedBlocks();
    void blockSinkGetsTheLastNumberUnlessARejectionFollowed();
    void bandAndLineLimits_data();
    void bandAndLineLimits();
    void kindCarriesFormatAndKeyboardLayout();
    void monochromeBandFillsItsEightRows();
    void runLengthLineWritesPairs();
    void hostileRunLengthBlocksStayInsideRowAndBuffer_data();
    void hostileRunLengthBlocksStayInsideRowAndBuffer();
    void largestLengthWaitsForAllItsBytesThenClips();

private:
    bool parse(const QByteArray &bytes);

    ScreenImage *m_image = nullptr;
    QStringList m_status;
    QByteArray m_buffer;
    QScopedPointer<ScreenImage> m_imageHolder;
};

void TestScreenParser::init()
{
    m_imageHolder.reset(new ScreenImage);
    m_image = m_imageHolder.data();
    m_status.clear();
    m_buffer.clear();
}

bool TestScreenParser::parse(const QByteArray &bytes)
{
    m_buffer.append(bytes);
    ScreenBlockParser parser([this](const QString &text) { m_status << text; });
    return parser.Parse(m_buffer, *m_image);
}

void TestScreenParser::splitBlockDecodesOnlyWhenComplete()
{
    const QByteArray block = RawLine(7, 0x5A);
    for (int i = 0; i < block.size() - 1; ++i)
        QVERIFY(!parse(block.mid(i, 1)));
    QCOMPARE(m_image->Row(7)[0], quint8(0));
    QCOMPARE(m_image->DisplayMode(), 0);

    QVERIFY(parse(block.right(1)));
    QCOMPARE(m_image->Row(7)[319], quint8(0x5A));
    QVERIFY(m_buffer.isEmpty());
    QCOMPARE(m_status, QStringList{QStringLiteral("blocco linea: 7")});

    // A run-length block whose length field itself is split.
    const QByteArray runs = RunLengthFill(9, 0x11, 0x22);
    QVERIFY(!parse(runs.left(2)));
    QVERIFY(!parse(runs.mid(2, 3)));
    QVERIFY(parse(runs.mid(5)));
    QCOMPARE(m_image->Row(9)[318], quint8(0x11));
    QCOMPARE(m_image->Row(9)[319], quint8(0x22));
}

void TestScreenParser::twoAndAHalfBlocksDecodeTwoAndKeepTheHalf()
{
    const QByteArray third = Band(2, 0xFF);
    QVERIFY(parse(Band(0, 0x01) + Band(1, 0x02) + third.left(121)));
    QCOMPARE(m_image->Row(0)[0], quint8(0x01));
    QCOMPARE(m_image->Row(15)[29], quint8(0x02));
    QCOMPARE(m_buffer, third.left(121));
    QCOMPARE(m_status.size(), 2);

    QVERIFY(parse(third.mid(121)));
    QCOMPARE(m_image->Row(16)[0], quint8(0xFF));
    QVERIFY(m_buffer.isEmpty());
}

void TestScreenParser::invalidKindEmptiesBufferBehindDecodedBlocks()
{
    QVERIFY(parse(RawLine(0, 0x33) + QByteArray(1, char(9)) + RawLine(1, 0x44) + RawLine(2, 0x55)));
    QCOMPARE(m_image->Row(0)[0], quint8(0x33));
    QCOMPARE(m_image->Row(1)[0], quint8(0));
    QCOMPARE(m_image->Row(2)[0], quint8(0));
    QVERIFY(m_buffer.isEmpty());
    QCOMPARE(m_status.last(), QStringLiteral("ERRORE blocco ricevuto"));

    // The stream resumes with whatever arrives next.
    QVERIFY(parse(RawLine(1, 0x44)));
    QCOMPARE(m_image->Row(1)[0], quint8(0x44));

    QVERIFY(!parse(QByteArray(1, char(0xFF)) + RawLine(3, 0x66)));
    QVERIFY(m_buffer.isEmpty());
}

void TestScreenParser::blockSinkGetsTheLastNumberUnlessARejectionFollowed()
{
    // The status a window shows is the text of whatever came last.
    QStringList texts;
    ScreenBlockParser parser([&texts](const QString &text) { texts << text; },
                             [&texts](int number) { texts << ScreenBlockParser::BlockText(number); });
    QByteArray buffer = RawLine(4, 1) + RawLine(9, 2) + RawLine(6, 3);
    QVERIFY(parser.Parse(buffer, *m_image));
    QCOMPARE(texts, QStringList{QStringLiteral("blocco linea: 6")});

    texts.clear();
    buffer = RawLine(5, 1) + RawLine(240, 2);
    QVERIFY(parser.Parse(buffer, *m_image));
    QCOMPARE(texts, QStringList{QStringLiteral("ERRORE linea: 240")});
}

void TestScreenParser::bandAndLineLimits_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("number");
    QTest::newRow("band 15") << Band(15, 0x81) << true << 15;
    QTest::newRow("band 16, stored but never shown") << Band(16, 0x81) << true << 16;
    QTest::newRow("band 17") << Band(17, 0x81) << false << 17;
    QTest::newRow("raw line 239") << RawLine(239, 0x81) << true << 239;
    QTest::newRow("raw line 240") << RawLine(240, 0x81) << false << 240;
    QTest::newRow("run-length line 239") << RunLengthFill(239, 0x81, 0x81) << true << 239;
    QTest::newRow("run-length line 255") << RunLengthFill(255, 0x81, 0x81) << false << 255;
}

void TestScreenParser::bandAndLineLimits()
{
    QFETCH(QByteArray, block);
    QFETCH(bool, accepted);
    QFETCH(int, number);

    const QByteArray next = RawLine(0, 0x42);
    QCOMPARE(parse(block + next), accepted);
    if (accepted) {
        QCOMPARE(m_status.first(), QStringLiteral("blocco linea: %1").arg(number));
        const int lastRow = block.size() == 242 ? number * 8 + 7 : number;
        QCOMPARE(m_image->Row(lastRow)[0], quint8(0x81));
        QCOMPARE(m_image->Row(0)[0], quint8(0x42));
    } else {
        QCOMPARE(m_status, QStringList{QStringLiteral("ERRORE linea: %1").arg(number)});
        // The block behind the rejected one went with the emptied buffer.
        QCOMPARE(m_image->Row(0)[0], quint8(0));
        QCOMPARE(m_image->DisplayMode(), 0);
    }
    QVERIFY(m_buffer.isEmpty());
}

void TestScreenParser::kindCarriesFormatAndKeyboardLayout()
{
    QVERIFY(parse(RawLine(5, 0x10, 1)));
    QCOMPARE(m_image->DisplayMode(), int(ScreenImage::RawColour));
    QCOMPARE(m_image->KeyboardLayout(), 1);

    QVERIFY(parse(Band(0, 0x10, 0)));
    QCOMPARE(m_image->DisplayMode(), int(ScreenImage::Monochrome));
    QCOMPARE(m_image->KeyboardLayout(), 0);

    QVERIFY(parse(RunLengthFill(0, 1, 2, 2)));
    QCOMPARE(m_image->DisplayMode(), int(ScreenImage::RunLengthColour));
    QCOMPARE(m_image->KeyboardLayout(), 2);
    // Switching format keeps the other rows' old bytes.
    QCOMPARE(m_image->Row(5)[100], quint8(0x10));
}

void TestScreenParser::monochromeBandFillsItsEightRows()
{
    QByteArray pixels(240, 0);
    for (int j = 0; j < 240; ++j)
        pixels[j] = char(j);
    QByteArray block;
    block.append(char(0)).append(char(15)).append(pixels);
    QVERIFY(parse(block));
    for (int j = 0; j < 240; ++j)
        QCOMPARE(m_image->Row(120 + j / 30)[j % 30], quint8(j));
    QCOMPARE(m_image->Row(119)[0], quint8(0));
    QCOMPARE(m_image->Row(120)[30], quint8(0)); // columns 30.. are not touched
    QVERIFY(m_image->ChangedRows().test(120) && m_image->ChangedRows().test(127));
    QVERIFY(!m_image->ChangedRows().test(128));
}

void TestScreenParser::runLengthLineWritesPairs()
{
    // 3 x (1, 2), then 157 x (7, 8): exactly 320 columns.
    QByteArray runs;
    runs.append(char(3)).append(char(1)).append(char(2));
    runs.append(char(157)).append(char(7)).append(char(8));
    QVERIFY(parse(RunLengthLine(4, runs)));
    const quint8 *row = m_image->Row(4);
    QCOMPARE(row[0], quint8(1));
    QCOMPARE(row[1], quint8(2));
    QCOMPARE(row[5], quint8(2));
    QCOMPARE(row[6], quint8(7));
    QCOMPARE(row[319], quint8(8));
    QVERIFY(m_buffer.isEmpty());
}

void TestScreenParser::hostileRunLengthBlocksStayInsideRowAndBuffer_data()
{
    QTest::addColumn<QByteArray>("runs");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("paintedUpTo"); // columns written with 0xAA/0xBB

    const QByteArray run = QByteArray("\x05\xAA\xBB", 3);
    QTest::newRow("L = 0") << QByteArray() << 0 << 0;
    QTest::newRow("L not a multiple of 3") << run + QByteArray("\x09\x09", 2) << 5 << 10;
    QTest::newRow("runs pass column 319")
        << QByteArray("\xFF\xAA\xBB\xFF\xAA\xBB", 6) << 6 << 320;
    QTest::newRow("runs end before column 320") << run << 3 << 10;
    QTest::newRow("count 0 writes nothing") << QByteArray("\x00\x11\x22", 3) + run << 6 << 10;
}

void TestScreenParser::hostileRunLengthBlocksStayInsideRowAndBuffer()
{
    QFETCH(QByteArray, runs);
    QFETCH(int, length);
    QFETCH(int, paintedUpTo);

    QVERIFY(parse(RawLine(6, 0x01)));
    // The clipped block spans exactly its announced length, so the block
    // behind it is still read from the right place.
    QVERIFY(parse(RunLengthLine(6, runs, 0, length) + RawLine(7, 0x77)));
    const quint8 *row = m_image->Row(6);
    for (int x = 0; x < 320; ++x) {
        const quint8 expected = x < paintedUpTo ? (x % 2 ? 0xBB : 0xAA) : 0x01;
        QCOMPARE(row[x], expected);
    }
    QCOMPARE(m_image->Row(7)[0], quint8(0x77));
    QVERIFY(m_buffer.isEmpty());
}

void TestScreenParser::largestLengthWaitsForAllItsBytesThenClips()
{
    QByteArray runs;
    while (runs.size() < 65535)
        runs.append(QByteArray("\xFF\x3C\xC3", 3));
    runs.truncate(65535);
    const QByteArray block = RunLengthLine(8, runs, 0, 65535);

    QVERIFY(!parse(block.left(60000)));
    QCOMPARE(m_buffer.size(), 60000);
    QVERIFY(parse(block.mid(60000) + RawLine(9, 0x99)));
    QCOMPARE(m_image->Row(8)[318], quint8(0x3C));
    QCOMPARE(m_image->Row(8)[319], quint8(0xC3));
    QCOMPARE(m_image->Row(9)[0], quint8(0x99));
    QVERIFY(m_buffer.isEmpty());
}

QTEST_APPLESS_MAIN(TestScreenParser)
#include "tst_screen_parser.moc"
