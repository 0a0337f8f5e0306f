// The pieces behind brenlow-snap, "Salva immagine..." and ctrlsim --replay:
// when a panel is whole, the picture file, and the recording format.
#include "PanelPicture.h"
#include "PanelSnapshot.h"
#include "ScreenBlockParser.h"
#include "ScreenBlocks.h"
#include "ScreenImage.h"
#include "SnapTestSupport.h"
#include "StreamRecording.h"
#include "WholePanelTracker.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace SnapTest;

namespace {

QByteArray Bands(int first, int last)
{
    QByteArray stream;
    for (int band = first; band <= last; ++band)
        stream += ScreenBlocks::Band(band, quint8(band));
    return stream;
}

QByteArray RawLines(int first, int last)
{
    QByteArray stream;
    for (int line = first; line <= last; ++line)
        stream += ScreenBlocks::RawLine(line, quint8(line));
    return stream;
}

QByteArray RunLengthLines(int first, int last)
{
    QByteArray stream;
    for (int line = first; line <= last; ++line)
        stream += ScreenBlocks::RunLengthFill(line, quint8(line), 0x42);
    return stream;
}

QByteArray U16(quint16 value)
{
    QByteArray bytes(2, 0);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray U32(quint32 value)
{
    QByteArray bytes(4, 0);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray U64(quint64 value)
{
    QByteArray bytes(8, 0);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// A version 1 header written by hand, as the format describes it.
QByteArray Header(const QByteArray &address = "127.0.0.2", quint16 version = 1, const QByteArray &extra = {})
{
    const QByteArray fields = U64(1700000000000ULL) + U16(16721) + U16(quint16(address.size())) + address + extra;
    return QByteArray("BRNLWREC") + U16(version) + U16(quint16(fields.size())) + fields;
}

QByteArray Record(quint64 micros, const QByteArray &bytes)
{
    return U64(micros) + U32(quint32(bytes.size())) + bytes;
}

} // namespace

class TestSnapshotParts : public QObject
{
    Q_OBJECT

private slots:
    void wholePanelSinceRestart_data();
    void wholePanelSinceRestart();
    void panelImageIsTheShownPanel();
    void pngAppearsOnlyWhenComplete();
    void recordingReadsBackWhatWasWritten();
    void recordingWrittenByHandIsRead();
    void damagedRecordingsAreRefused_data();
    void damagedRecordingsAreRefused();

private:
    QTemporaryDir m_dir;
};

void TestSnapshotParts::wholePanelSinceRestart_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<bool>("rejected");

    QTest::newRow("all 16 bands") << QByteArray() << Bands(0, 15) << true << false;
    QTest::newRow("bands in any order") << QByteArray() << Bands(8, 15) + Bands(0, 7) << true << false;
    QTest::newRow("band 15 missing") << QByteArray() << Bands(0, 14) + Bands(16, 16) << false << false;
    QTest::newRow("bands before the restart do not count") << Bands(0, 7) << Bands(8, 15) << false << false;
    QTest::newRow("all 240 raw lines") << QByteArray() << RawLines(0, 239) << true << false;
    QTest::newRow("line 0 missing") << QByteArray() << RawLines(1, 239) << false << false;
    QTest::newRow("raw and run-length lines together")
        << QByteArray() << RawLines(0, 119) + RunLengthLines(120, 239) << true << false;
    QTest::newRow("monochrome in between starts colour again")
        << QByteArray() << RawLines(0, 200) + Bands(0, 0) + RawLines(201, 239) << false << false;
    QTest::newRow("the last format counts")
        << QByteArray() << RawLines(0, 239) + Bands(0, 3) << false << false;
    QTest::newRow("rejected, then whole")
        << QByteArray() << QByteArray("\x09", 1) + Bands(0, 15) << true << true;
    QTest::newRow("line out of range") << QByteArray() << RawLines(0, 10) + ScreenBlocks::RawLine(240, 0) << false
                                       << true;
    QTest::newRow("rejection before the restart is forgotten")
        << QByteArray("\x0a", 1) << Bands(0, 15) << true << false;
}

void TestSnapshotParts::wholePanelSinceRestart()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(bool, whole);
    QFETCH(bool, rejected);

    ScreenImage image;
    ScreenBlockParser parser;
    WholePanelTracker tracker;
    parser.SetObserver(&tracker);
    parser.Parse(before, image);
    tracker.Restart();
    QVERIFY(!tracker.IsWhole());
    // Block by block, one byte at a time: completeness must not depend on
    // how the reads fall.
    QByteArray buffer;
    for (char byte : after) {
        buffer.append(byte);
        parser.Parse(buffer, image);
    }
    QCOMPARE(tracker.IsWhole(), whole);
    QCOMPARE(tracker.SawRejectedBlock(), rejected);
    QCOMPARE(tracker.MissingCount() == 0, whole);
}

void TestSnapshotParts::panelImageIsTheShownPanel()
{
    PanelPicture picture;
    QVERIFY(PanelSnapshot::PanelImage(picture).isNull()); // nothing shown yet

    ScreenImage image;
    ScreenBlockParser parser;
    QByteArray stream = KnownPanel(Format::RawColour);
    parser.Parse(stream, image);
    picture.Update(image);
    const QImage native = PanelSnapshot::PanelImage(picture);
    QCOMPARE(native.size(), QSize(320, 240));
    QCOMPARE(native, picture.Picture().copy(0, 0, 320, 240).convertToFormat(native.format()));

    // Each pixel a solid square, no blending at the edges.
    const QImage big = PanelSnapshot::PanelImage(picture, 4);
    QCOMPARE(big.size(), QSize(1280, 960));
    for (int y = 0; y < big.height(); y += 3) {
        for (int x = 0; x < big.width(); x += 1)
            QCOMPARE(big.pixel(x, y), native.pixel(x / 4, y / 4));
    }
    QVERIFY(PanelSnapshot::PanelImage(picture, 0).isNull());
    QVERIFY(PanelSnapshot::PanelImage(picture, 9).isNull());
    QCOMPARE(PanelSnapshot::PanelImage(picture, 8).size(), QSize(2560, 1920));

    // Monochrome after colour: the smaller panel only.
    QByteArray mono = KnownPanel(Format::Monochrome);
    parser.Parse(mono, image);
    picture.Update(image);
    QCOMPARE(PanelSnapshot::PanelImage(picture).size(), QSize(240, 128));
}

void TestSnapshotParts::pngAppearsOnlyWhenComplete()
{
    const QImage panel = ConsolePicture(KnownPanel(Format::Monochrome));
    QString error;
    const QString good = m_dir.filePath(QStringLiteral("good.png"));
    QVERIFY2(PanelSnapshot::WritePng(panel, good, &error), qPrintable(error));
    QCOMPARE(QImage(good).convertToFormat(panel.format()), panel);

    // Over an existing file: replaced whole.
    const QImage other = ConsolePicture(KnownPanel(Format::RawColour));
    QVERIFY(PanelSnapshot::WritePng(other, good, &error));
    QCOMPARE(QImage(good).size(), QSize(320, 240));

    const QString missingFolder = m_dir.filePath(QStringLiteral("none/x.png"));
    QVERIFY(!PanelSnapshot::WritePng(panel, missingFolder, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(missingFolder));

    // A folder where the file should be.
    QDir(m_dir.path()).mkdir(QStringLiteral("taken.png"));
    error.clear();
    QVERIFY(!PanelSnapshot::WritePng(panel, m_dir.filePath(QStringLiteral("taken.png")), &error));
    QVERIFY(!error.isEmpty());

    QVERIFY(!PanelSnapshot::WritePng(QImage(), m_dir.filePath(QStringLiteral("null.png")), &error));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("null.png"))));
}

void TestSnapshotParts::recordingReadsBackWhatWasWritten()
{
    const QString path = m_dir.filePath(QStringLiteral("round.rec"));
    StreamRecording::Header header;
    header.address = QStringLiteral("controller-7.local");
    header.port = 16721;
    header.started = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7, 890), Qt::UTC);

    RecordingWriter writer;
    QString error;
    QVERIFY2(writer.Open(path, header, &error), qPrintable(error));
    QVERIFY(!QFile::exists(path)); // not before the commit
    const QByteArray big(int(StreamRecording::kMaxRecordBytes) + 10, 'x');
    QVERIFY(writer.Append(0, QByteArray("first")));
    QVERIFY(writer.Append(1500, big));
    QVERIFY(writer.Append(1000, QByteArray("late clock"))); // never back in time
    QVERIFY(writer.Append(2000, QByteArray()));
    QVERIFY2(writer.Commit(&error), qPrintable(error));

    RecordingReader reader;
    QVERIFY2(reader.Open(path, &error), qPrintable(error));
    QCOMPARE(reader.Header().version, quint16(1));
    QCOMPARE(reader.Header().address, header.address);
    QCOMPARE(reader.Header().port, quint16(16721));
    QCOMPARE(reader.Header().started, header.started);

    QList<qint64> times;
    QByteArray bytes;
    StreamRecording::Chunk chunk;
    while (reader.Next(&chunk)) {
        times << chunk.micros;
        bytes += chunk.bytes;
    }
    QVERIFY(!reader.Failed());
    QCOMPARE(times, (QList<qint64>{0, 1500, 1500, 1500}));
    QCOMPARE(bytes, QByteArray("first") + big + QByteArray("late clock"));

    // Rewinding serves the recording again from the first record.
    QVERIFY(reader.Rewind());
    QVERIFY(reader.Next(&chunk));
    QCOMPARE(chunk.bytes, QByteArray("first"));

    // A discarded recording leaves nothing.
    const QString discarded = m_dir.filePath(QStringLiteral("discarded.rec"));
    RecordingWriter dropped;
    QVERIFY(dropped.Open(discarded, header, &error));
    dropped.Append(0, QByteArray("x"));
    dropped.Discard();
    QVERIFY(!QFile::exists(discarded));
}

void TestSnapshotParts::recordingWrittenByHandIsRead()
{
    // Files as the documented layout describes them, including header
    // fields that a later version may add: those are skipped.
    const QString path = m_dir.filePath(QStringLiteral("byhand.rec"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(Header("10.0.0.9", 1, QByteArray("future fields")) + Record(0, "AB") + Record(250000, "CDE"));
    file.close();

    StreamRecording::Summary summary;
    QString error;
    QVERIFY2(RecordingReader::Check(path, &summary, &error), qPrintable(error));
    QCOMPARE(summary.header.address, QStringLiteral("10.0.0.9"));
    QCOMPARE(summary.header.started.toMSecsSinceEpoch(), qint64(1700000000000LL));
    QCOMPARE(summary.records, qint64(2));
    QCOMPARE(summary.bytes, qint64(5));
    QCOMPARE(summary.lastMicros, qint64(250000));

    // Header only: a valid, empty recording.
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(Header());
    file.close();
    QVERIFY(RecordingReader::Check(path, &summary, &error));
    QCOMPARE(summary.records, qint64(0));
}

void TestSnapshotParts::damagedRecordingsAreRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");

    const QByteArray good = Header() + Record(0, "AB") + Record(10, "CD");
    QTest::newRow("empty file") << QByteArray() << "not a screen recording";
    QTest::newRow("a picture") << QByteArray("\x89PNG\r\n\x1a\n0000000000000000", 24) << "not a screen recording";
    QTest::newRow("magic only") << QByteArray("BRNLWREC") << "truncated";
    QTest::newRow("header cut short") << good.left(20) << "truncated";
    QTest::newRow("address longer than the header")
        << QByteArray("BRNLWREC") + U16(1) + U16(12) + U64(0) + U16(16721) + U16(500) << "damaged";
    QTest::newRow("header fields missing") << QByteArray("BRNLWREC") + U16(1) + U16(4) + U32(0) << "damaged";
    QTest::newRow("newer version") << Header("a", 2) + Record(0, "AB") << "version 2";
    QTest::newRow("version 0") << Header("a", 0) << "version 0";
    QTest::newRow("record head cut short") << good.left(good.size() - 2 - 12 + 5) << "truncated";
    QTest::newRow("record bytes cut short") << good.left(good.size() - 1) << "truncated";
    QTest::newRow("zero length record") << Header() + Record(0, "AB") + U64(5) + U32(0) << "damaged";
    QTest::newRow("length beyond the limit")
        << Header() + U64(0) + U32(StreamRecording::kMaxRecordBytes + 1) + QByteArray(100, 'x') << "damaged";
    QTest::newRow("huge length") << Header() + U64(0) + U32(0xFFFFFFFFu) << "damaged";
    QTest::newRow("time going back") << Header() + Record(500, "AB") + Record(499, "CD") << "damaged";
    QTest::newRow("negative time") << Header() + Record(~0ULL, "AB") << "damaged";
}

void TestSnapshotParts::damagedRecordingsAreRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);

    const QString path = m_dir.filePath(QStringLiteral("damaged.rec"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();

    StreamRecording::Summary summary;
    QString error;
    QVERIFY(!RecordingReader::Check(path, &summary, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    QVERIFY2(error.contains(path), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestSnapshotParts)
#include "tst_snapshot_parts.moc"
