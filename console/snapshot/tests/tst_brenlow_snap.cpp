// brenlow-snap as a program: pictures against a controller stand-in with a
// known panel, exit codes for the ways a controller can fail, recordings.
#include "ScreenBlocks.h"
#include "SnapTestSupport.h"
#include "StreamRecording.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace SnapTest;

Q_DECLARE_METATYPE(SnapTest::Format)

namespace {

const QString kSnap = QStringLiteral(BRENLOW_SNAP);

QHostAddress Address(int last)
{
    return QHostAddress(QStringLiteral("127.0.15.%1").arg(last));
}

QString Host(int last)
{
    return Address(last).toString();
}

QSize NativeSize(Format format)
{
    return format == Format::Monochrome ? QSize(240, 128) : QSize(320, 240);
}

int StderrLines(const ProgramResult &result)
{
    return result.err.isEmpty() ? 0 : result.err.trimmed().split('\n').size();
}

} // namespace

class TestBrenlowSnap : public QObject
{
    Q_OBJECT

private slots:
    void snapshotIsPixelExact_data();
    void snapshotIsPixelExact();
    void paintedColoursOfKnownPixels();
    void exitCodesForFailingControllers_data();
    void exitCodesForFailingControllers();
    void badArgumentsAndUnwritableFiles_data();
    void badArgumentsAndUnwritableFiles();
    void recordingHoldsEveryByteInOrder();

private:
    QTemporaryDir m_dir;
};

void TestBrenlowSnap::snapshotIsPixelExact_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<Format>("format");
    QTest::addColumn<int>("pieceSize");
    QTest::addColumn<int>("scale");

    QTest::newRow("monochrome") << 10 << Format::Monochrome << 0 << 1;
    QTest::newRow("raw colour") << 11 << Format::RawColour << 0 << 1;
    QTest::newRow("run-length colour") << 12 << Format::RunLengthColour << 0 << 1;
    QTest::newRow("monochrome in pieces") << 13 << Format::Monochrome << 7 << 1;
    QTest::newRow("raw colour in pieces") << 14 << Format::RawColour << 97 << 1;
    QTest::newRow("run-length colour in pieces") << 15 << Format::RunLengthColour << 5 << 1;
    QTest::newRow("monochrome scaled 3") << 16 << Format::Monochrome << 0 << 3;
    QTest::newRow("run-length colour scaled 8, in pieces") << 17 << Format::RunLengthColour << 61 << 8;
}

void TestBrenlowSnap::snapshotIsPixelExact()
{
    QFETCH(int, address);
    QFETCH(Format, format);
    QFETCH(int, pieceSize);
    QFETCH(int, scale);

    const QByteArray panel = KnownPanel(format, 1);
    RefreshServer server(Address(address));
    QVERIFY(server.IsListening());
    // An old copy of one band or line arrives before the request; the
    // answer to the request overwrites it.
    server.SetGreeting(format == Format::Monochrome ? ScreenBlocks::Band(3, 0xFF, 1)
                                                    : ScreenBlocks::RawLine(5, 0x00, 1));
    server.SetReply(panel, pieceSize);

    const QString output = m_dir.filePath(QStringLiteral("pixel-%1.png").arg(address));
    QStringList arguments{QStringLiteral("--timeout"), QStringLiteral("60"), Host(address), output};
    if (scale != 1)
        arguments << QStringLiteral("--scale") << QString::number(scale);
    const ProgramResult result = Run(kSnap, arguments);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.exitCode, 0);
    // Exactly one refresh request, as "Aggiorna" sends it.
    QCOMPARE(server.Received(), QByteArray("\x10\x65", 2));

    QImage written(output);
    QVERIFY(!written.isNull());
    QCOMPARE(written.size(), NativeSize(format) * scale);
    const QImage expected = ConsolePicture(panel);
    QCOMPARE(expected.size(), NativeSize(format));
    for (int y = 0; y < written.height(); ++y) {
        for (int x = 0; x < written.width(); ++x) {
            if (written.pixel(x, y) != expected.pixel(x / scale, y / scale))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3, the console paints %4")
                                     .arg(x).arg(y)
                                     .arg(written.pixel(x, y), 8, 16)
                                     .arg(expected.pixel(x / scale, y / scale), 8, 16)));
        }
    }
}

void TestBrenlowSnap::paintedColoursOfKnownPixels()
{
    // One raw line with the pixel values whose colours the controller's
    // documentation names, and a monochrome panel with single bits.
    QByteArray colour;
    for (int line = 0; line < 240; ++line) {
        QByteArray pixels(320, char(0x00));
        pixels[0] = char(0xFF);
        pixels[1] = char(0xE0);
        pixels[2] = char(0xA5);
        pixels[3] = char(0x1C); // green index 7
        pixels[4] = char(0x03); // blue index 3
        colour += ScreenBlocks::RawLine(line, pixels);
    }
    RefreshServer colourServer(Address(20));
    colourServer.SetReply(colour);
    const QString colourFile = m_dir.filePath(QStringLiteral("known-colour.png"));
    QCOMPARE(Run(kSnap, {Host(20), colourFile}).exitCode, 0);
    const QImage colourImage(colourFile);
    QCOMPARE(colourImage.pixel(0, 7), qRgb(255, 255, 255));
    QCOMPARE(colourImage.pixel(1, 7), qRgb(255, 0, 0));
    QCOMPARE(colourImage.pixel(2, 7), qRgb(198, 36, 90));
    QCOMPARE(colourImage.pixel(3, 7), qRgb(0, 255, 0));
    QCOMPARE(colourImage.pixel(4, 7), qRgb(0, 0, 255));
    QCOMPARE(colourImage.pixel(5, 7), qRgb(0, 0, 0));

    QByteArray mono;
    for (int band = 0; band < 16; ++band) {
        QByteArray block = ScreenBlocks::Band(band, 0);
        block[2] = char(0x01);  // row 8n, x = 0
        block[3] = char(0x80);  // row 8n, x = 15
        mono += block;
    }
    RefreshServer monoServer(Address(21));
    monoServer.SetReply(mono);
    const QString monoFile = m_dir.filePath(QStringLiteral("known-mono.png"));
    QCOMPARE(Run(kSnap, {Host(21), monoFile}).exitCode, 0);
    const QImage monoImage(monoFile);
    QCOMPARE(monoImage.size(), QSize(240, 128));
    QCOMPARE(monoImage.pixel(0, 8), qRgb(0, 0, 0));
    QCOMPARE(monoImage.pixel(1, 8), qRgb(255, 255, 255));
    QCOMPARE(monoImage.pixel(14, 8), qRgb(255, 255, 255));
    QCOMPARE(monoImage.pixel(15, 8), qRgb(0, 0, 0));
    QCOMPARE(monoImage.pixel(0, 9), qRgb(255, 255, 255));
}

void TestBrenlowSnap::exitCodesForFailingControllers_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<bool>("listen");
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("close");
    QTest::addColumn<QString>("timeout");
    QTest::addColumn<int>("exitCode");

    const QByteArray colour = KnownPanel(Format::RawColour);
    const QByteArray mono = KnownPanel(Format::Monochrome);
    const int lineSize = 322;

    QTest::newRow("refused") << 30 << false << QByteArray() << QByteArray() << false << "2" << 2;
    QTest::newRow("silent") << 31 << true << QByteArray() << QByteArray() << false << "1" << 3;
    QTest::newRow("last line never comes") << 32 << true << QByteArray() << colour.left(239 * lineSize) << false << "1" << 3;
    QTest::newRow("band 16 does not stand for band 15")
        << 33 << true << QByteArray() << mono.left(15 * 242) + ScreenBlocks::Band(16, 0) << false << "1" << 3;
    // A stream cut short ends the wait at once; the long time-out would
    // otherwise fail the test's own time limit.
    QTest::newRow("interrupted") << 34 << true << QByteArray() << colour.left(100 * lineSize + 50) << true << "60" << 3;
    QTest::newRow("invalid kind") << 35 << true << QByteArray() << QByteArray("\x09garbage", 8) << false << "1" << 4;
    QTest::newRow("band out of range")
        << 36 << true << QByteArray() << mono.left(5 * 242) + ScreenBlocks::Band(17, 0) << false << "1" << 4;
    QTest::newRow("invalid, then interrupted") << 37 << true << QByteArray() << QByteArray("\x0c", 1) << true << "60" << 4;
    // A rejected block empties the buffer, blocks read along with it too.
    QTest::newRow("invalid, whole panel in the same read")
        << 38 << true << QByteArray() << QByteArray("\xff", 1) + mono << false << "2" << 4;
    QTest::newRow("invalid, then a whole panel")
        << 41 << true << QByteArray("\xff", 1) << colour << false << "10" << 0;
    QTest::newRow("colour lines, then a monochrome panel")
        << 39 << true << QByteArray() << colour.left(200 * lineSize) + mono << false << "5" << 0;
    QTest::newRow("whole panel, then closed") << 40 << true << QByteArray() << mono << true << "5" << 0;
}

void TestBrenlowSnap::exitCodesForFailingControllers()
{
    QFETCH(int, address);
    QFETCH(bool, listen);
    QFETCH(QByteArray, greeting);
    QFETCH(QByteArray, reply);
    QFETCH(bool, close);
    QFETCH(QString, timeout);
    QFETCH(int, exitCode);

    std::unique_ptr<RefreshServer> server;
    if (listen) {
        server = std::make_unique<RefreshServer>(Address(address));
        QVERIFY(server->IsListening());
        server->SetGreeting(greeting);
        server->SetReply(reply);
        server->SetReplyDelay(greeting.isEmpty() ? 0 : 300);
        server->SetCloseAfterReply(close);
    }
    const QString output = m_dir.filePath(QStringLiteral("exit-%1.png").arg(address));
    QElapsedTimer clock;
    clock.start();
    const ProgramResult result = Run(kSnap, {QStringLiteral("--timeout"), timeout, Host(address), output}, 50000);
    QVERIFY(!result.crashed);
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(QFile::exists(output), exitCode == 0);
    QCOMPARE(StderrLines(result), exitCode == 0 ? 0 : 1);
    QVERIFY2(clock.elapsed() < 40000, "an interrupted stream must not wait for the time-out");
}

void TestBrenlowSnap::badArgumentsAndUnwritableFiles_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("stdoutPart");

    const QString host = Host(50);
    const QString out = QStringLiteral("args.png");
    QTest::newRow("nothing") << QStringList{} << 1 << QByteArray();
    QTest::newRow("no output") << QStringList{host} << 1 << QByteArray();
    QTest::newRow("too many") << QStringList{host, out, QStringLiteral("more")} << 1 << QByteArray();
    QTest::newRow("scale 0") << QStringList{QStringLiteral("--scale"), QStringLiteral("0"), host, out} << 1
                             << QByteArray();
    QTest::newRow("scale 9") << QStringList{QStringLiteral("--scale"), QStringLiteral("9"), host, out} << 1
                             << QByteArray();
    QTest::newRow("timeout not a number")
        << QStringList{QStringLiteral("--timeout"), QStringLiteral("soon"), host, out} << 1 << QByteArray();
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour"), host, out} << 1 << QByteArray();
    QTest::newRow("seconds without record")
        << QStringList{QStringLiteral("--seconds"), QStringLiteral("2"), host, out} << 1 << QByteArray();
    QTest::newRow("record without seconds")
        << QStringList{QStringLiteral("--record"), QStringLiteral("r.bin"), host, out} << 1 << QByteArray();
    QTest::newRow("output folder missing") << QStringList{host, QStringLiteral("no/such/folder/x.png")} << 1
                                           << QByteArray();
    QTest::newRow("recording folder missing")
        << QStringList{QStringLiteral("--record"), QStringLiteral("no/such/r.bin"), QStringLiteral("--seconds"),
                       QStringLiteral("1"), host, out}
        << 1 << QByteArray();
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0 << QByteArray("--scale");
    QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0 << QByteArray("brenlow-snap ");
}

void TestBrenlowSnap::badArgumentsAndUnwritableFiles()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, stdoutPart);

    // A controller with a whole panel, so only the arguments or the files
    // can be at fault.
    RefreshServer server(Address(50));
    server.SetReply(KnownPanel(Format::Monochrome));
    QTemporaryDir work;
    // The program runs in a folder of its own, to see what it leaves there.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(work.path());
    const ProgramResult result = Run(kSnap, arguments);
    QDir::setCurrent(previous);

    QVERIFY(!result.crashed);
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(StderrLines(result), exitCode == 0 ? 0 : 1);
    QVERIFY(result.out.contains(stdoutPart));
    // Nothing is left behind: no picture, no recording, no temporary file.
    QCOMPARE(QDir(work.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestBrenlowSnap::recordingHoldsEveryByteInOrder()
{
    const QByteArray greeting = ScreenBlocks::RawLine(0, 0x11);
    const QByteArray panel = KnownPanel(Format::RunLengthColour);
    RefreshServer server(Address(60));
    server.SetGreeting(greeting);
    server.SetReply(panel, 1000);
    server.SetReplyDelay(300);

    const QString recording = m_dir.filePath(QStringLiteral("held.rec"));
    const QString picture = m_dir.filePath(QStringLiteral("held.png"));
    const ProgramResult result = Run(kSnap, {QStringLiteral("--record"), recording, QStringLiteral("--seconds"),
                                             QStringLiteral("1.5"), Host(60), picture});
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.exitCode, 0);

    RecordingReader reader;
    QString error;
    QVERIFY2(reader.Open(recording, &error), qPrintable(error));
    QCOMPARE(reader.Header().address, Host(60));
    QCOMPARE(reader.Header().port, quint16(16721));
    QVERIFY(qAbs(reader.Header().started.secsTo(QDateTime::currentDateTimeUtc())) < 120);
    QByteArray bytes;
    qint64 last = 0;
    int records = 0;
    StreamRecording::Chunk chunk;
    while (reader.Next(&chunk)) {
        QVERIFY(chunk.micros >= last);
        QVERIFY(chunk.micros < 10 * 1000 * 1000);
        last = chunk.micros;
        bytes += chunk.bytes;
        ++records;
    }
    QVERIFY2(!reader.Failed(), qPrintable(reader.Error()));
    QCOMPARE(bytes, greeting + panel);
    QVERIFY(records > 1); // the greeting and the answer came apart
    QCOMPARE(QImage(picture), ConsolePicture(greeting + panel));

    // Recording only: no picture asked, none written, and a controller
    // that never completes a panel still gives a recording.
    RefreshServer silent(Address(61));
    silent.SetGreeting(greeting);
    const QString onlyRecording = m_dir.filePath(QStringLiteral("silent.rec"));
    const ProgramResult recorded = Run(kSnap, {QStringLiteral("--record"), onlyRecording,
                                               QStringLiteral("--seconds"), QStringLiteral("0.5"), Host(61)});
    QCOMPARE(recorded.exitCode, 0);
    StreamRecording::Summary summary;
    QVERIFY2(RecordingReader::Check(onlyRecording, &summary, &error), qPrintable(error));
    QCOMPARE(summary.bytes, qint64(greeting.size()));

    // With a picture asked, a panel that is not whole at the end writes
    // neither file.
    RefreshServer partial(Address(62));
    partial.SetGreeting(greeting);
    const QString partialRecording = m_dir.filePath(QStringLiteral("partial.rec"));
    const QString partialPicture = m_dir.filePath(QStringLiteral("partial.png"));
    const ProgramResult failed = Run(kSnap, {QStringLiteral("--record"), partialRecording, QStringLiteral("--seconds"),
                                             QStringLiteral("0.5"), Host(62), partialPicture});
    QCOMPARE(failed.exitCode, 3);
    QVERIFY(!QFile::exists(partialRecording));
    QVERIFY(!QFile::exists(partialPicture));
}

QTEST_GUILESS_MAIN(TestBrenlowSnap)
#include "tst_brenlow_snap.moc"
