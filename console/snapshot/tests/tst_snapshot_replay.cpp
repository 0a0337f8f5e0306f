// Recording a controller with brenlow-snap and serving the recording again
// with ctrlsim --replay: the same bytes in the same order, the same picture,
// the recorded timing, and damaged recordings refused.
#include "SnapTestSupport.h"
#include "StreamRecording.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <memory>

using namespace SnapTest;

namespace {

const QString kSnap = QStringLiteral(BRENLOW_SNAP);
const QString kCtrlsim = QStringLiteral(CTRLSIM_PATH);

QString Host(int last)
{
    return QStringLiteral("127.0.15.%1").arg(last);
}

// A ctrlsim process, stopped when the test step ends.
struct Controller
{
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();

    bool Start(const QStringList &arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process->setProcessEnvironment(environment);
        process->start(kCtrlsim, arguments);
        return process->waitForStarted(10000)
            && QTest::qWaitFor([this] {
                   return process->canReadLine() || process->state() == QProcess::NotRunning;
               }, 15000)
            && process->readLine().startsWith("READY");
    }

    ~Controller()
    {
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill();
            process->waitForFinished(5000);
        }
    }
};

QByteArray RecordedBytes(const QString &path, StreamRecording::Summary *summary = nullptr)
{
    RecordingReader reader;
    QString error;
    if (!reader.Open(path, &error))
        return {};
    QByteArray bytes;
    StreamRecording::Chunk chunk;
    qint64 records = 0;
    while (reader.Next(&chunk)) {
        bytes += chunk.bytes;
        ++records;
        if (summary) {
            summary->lastMicros = chunk.micros;
            summary->records = records;
        }
    }
    return reader.Failed() ? QByteArray() : bytes;
}

bool WriteRecording(const QString &path, const QList<QPair<qint64, QByteArray>> &records)
{
    StreamRecording::Header header;
    header.address = QStringLiteral("127.0.0.2");
    header.port = 16721;
    header.started = QDateTime::currentDateTimeUtc();
    RecordingWriter writer;
    QString error;
    if (!writer.Open(path, header, &error))
        return false;
    for (const auto &record : records)
        writer.Append(record.first, record.second);
    return writer.Commit(&error);
}

} // namespace

class TestSnapshotReplay : public QObject
{
    Q_OBJECT

private slots:
    void replayGivesSameBytesAndPicture();
    void replayKeepsRecordedTiming_data();
    void replayKeepsRecordedTiming();
    void recordAtTheEndOfTimeNeverComes();
    void replayLoopsAndServesTheOtherServices();
    void damagedRecordingsAreRefused_data();
    void damagedRecordingsAreRefused();

private:
    QTemporaryDir m_dir;
};

void TestSnapshotReplay::replayGivesSameBytesAndPicture()
{
    const QString recording = m_dir.filePath(QStringLiteral("live.rec"));
    const QString livePicture = m_dir.filePath(QStringLiteral("live.png"));
    {
        // A colour controller whose panel moves several times during the
        // recording, so the recording holds a whole panel and changes.
        Controller live;
        QVERIFY(live.Start({QStringLiteral("--address"), Host(70), QStringLiteral("--format"), QStringLiteral("rle"),
                            QStringLiteral("--layout"), QStringLiteral("2"), QStringLiteral("--rate-ms"),
                            QStringLiteral("200"), QStringLiteral("--quiet"), QStringLiteral("--key-log"),
                            m_dir.filePath(QStringLiteral("live.log"))}));
        const ProgramResult result = Run(kSnap, {QStringLiteral("--record"), recording, QStringLiteral("--seconds"),
                                                 QStringLiteral("1.5"), Host(70), livePicture});
        QCOMPARE(result.err, QByteArray());
        QCOMPARE(result.exitCode, 0);
    }
    StreamRecording::Summary recorded;
    const QByteArray original = RecordedBytes(recording, &recorded);
    QVERIFY(original.size() > 240 * 4);
    QVERIFY(recorded.records > 1);

    const QString keyLog = m_dir.filePath(QStringLiteral("replay.log"));
    Controller replay;
    QVERIFY(replay.Start({QStringLiteral("--address"), Host(71), QStringLiteral("--replay"), recording,
                          QStringLiteral("--quiet"), QStringLiteral("--key-log"), keyLog}));
    const QString again = m_dir.filePath(QStringLiteral("again.rec"));
    const QString replayPicture = m_dir.filePath(QStringLiteral("again.png"));
    const double seconds = double(recorded.lastMicros) / 1e6 + 2.0;
    const ProgramResult result = Run(kSnap, {QStringLiteral("--record"), again, QStringLiteral("--seconds"),
                                             QString::number(seconds), Host(71), replayPicture});
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.exitCode, 0);

    StreamRecording::Summary replayed;
    QCOMPARE(RecordedBytes(again, &replayed), original);
    QCOMPARE(QImage(replayPicture), QImage(livePicture));
    // The last bytes came no earlier than recorded (the replay waits).
    QVERIFY2(replayed.lastMicros >= recorded.lastMicros - 100000,
             qPrintable(QStringLiteral("%1 < %2").arg(replayed.lastMicros).arg(recorded.lastMicros)));
    // The refresh request reached the replaying controller's key log.
    QFile log(keyLog);
    QVERIFY(QTest::qWaitFor([&] { return log.size() > 0; }, 5000));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains("key flags=0x10 code=0x65"));
}

void TestSnapshotReplay::replayKeepsRecordedTiming_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<int>("earliestMs");
    QTest::addColumn<int>("latestMs");

    // The second read was recorded 1.6 s after the first. Lower limits are
    // tight; upper ones leave room for a loaded machine.
    QTest::newRow("as recorded") << 72 << "1" << 1450 << 6000;
    QTest::newRow("four times faster") << 73 << "4" << 350 << 1400;
}

void TestSnapshotReplay::replayKeepsRecordedTiming()
{
    QFETCH(int, address);
    QFETCH(QString, speed);
    QFETCH(int, earliestMs);
    QFETCH(int, latestMs);

    const QString recording = m_dir.filePath(QStringLiteral("timing-%1.rec").arg(address));
    QVERIFY(WriteRecording(recording, {{0, "first"}, {1600000, "second"}}));
    Controller replay;
    QVERIFY(replay.Start({QStringLiteral("--address"), Host(address), QStringLiteral("--replay"), recording,
                          QStringLiteral("--replay-speed"), speed, QStringLiteral("--quiet")}));

    QTcpSocket console;
    console.connectToHost(Host(address), 16721);
    QVERIFY(console.waitForConnected(5000));
    QElapsedTimer clock;
    clock.start();
    QByteArray received;
    qint64 secondAt = -1;
    QVERIFY(QTest::qWaitFor([&] {
        received += console.readAll();
        if (secondAt < 0 && received.contains("second"))
            secondAt = clock.elapsed();
        return secondAt >= 0;
    }, 10000));
    QCOMPARE(received, QByteArray("firstsecond"));
    QVERIFY2(secondAt >= earliestMs && secondAt <= latestMs, qPrintable(QString::number(secondAt)));
}

void TestSnapshotReplay::recordAtTheEndOfTimeNeverComes()
{
    // Its moment would overflow the clock's count at speed 1; computed
    // unchecked it came out in the past and went at once.
    const QString recording = m_dir.filePath(QStringLiteral("late.rec"));
    QVERIFY(WriteRecording(recording, {{0, "first"}, {std::numeric_limits<qint64>::max(), "last"}}));
    Controller replay;
    QVERIFY(replay.Start({QStringLiteral("--address"), Host(77), QStringLiteral("--replay"), recording,
                          QStringLiteral("--quiet")}));
    QTcpSocket console;
    console.connectToHost(Host(77), 16721);
    QVERIFY(console.waitForConnected(5000));
    QByteArray received;
    QVERIFY(QTest::qWaitFor([&] { return (received += console.readAll()).contains("first"); }, 5000));
    QTest::qWait(500);
    received += console.readAll();
    QCOMPARE(received, QByteArray("first"));
    QCOMPARE(console.state(), QAbstractSocket::ConnectedState);
}

void TestSnapshotReplay::replayLoopsAndServesTheOtherServices()
{
    const QString recording = m_dir.filePath(QStringLiteral("loop.rec"));
    QVERIFY(WriteRecording(recording, {{0, "AB"}, {50000, "CD"}}));
    const QString keyLog = m_dir.filePath(QStringLiteral("loop.log"));
    Controller looping;
    QVERIFY(looping.Start({QStringLiteral("--address"), Host(74), QStringLiteral("--replay"), recording,
                           QStringLiteral("--replay-loop"), QStringLiteral("--quiet"), QStringLiteral("--key-log"),
                           keyLog}));

    QTcpSocket console;
    console.connectToHost(Host(74), 16721);
    QVERIFY(console.waitForConnected(5000));
    // A key made and broken on the console side goes to the key log.
    console.write(QByteArray("\x00\x41\x01\x41", 4));
    QByteArray received;
    QVERIFY(QTest::qWaitFor([&] {
        received += console.readAll();
        return received.size() >= 12;
    }, 10000));
    QVERIFY2(received.startsWith("ABCDABCDABCD"), received.constData());

    // A second console starts from the beginning of the recording.
    QTcpSocket second;
    second.connectToHost(Host(74), 16721);
    QVERIFY(second.waitForConnected(5000));
    QVERIFY(QTest::qWaitFor([&] { return second.bytesAvailable() >= 2; }, 5000));
    QCOMPARE(second.read(2), QByteArray("AB"));

    // The statistics service pushes its records as usual.
    QTcpSocket statistics;
    statistics.connectToHost(Host(74), 16737);
    QVERIFY(statistics.waitForConnected(5000));
    QVERIFY(QTest::qWaitFor([&] { return statistics.bytesAvailable() >= 257; }, 5000));
    QCOMPARE(statistics.read(1), QByteArray(1, '\0'));

    QFile log(keyLog);
    QVERIFY(QTest::qWaitFor([&] { return log.size() > 0 && QFile(keyLog).size() >= 2 * 36; }, 5000));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray lines = log.readAll();
    QVERIFY2(lines.contains("key flags=0x00 code=0x41") && lines.contains("key flags=0x01 code=0x41"),
             lines.constData());

    // Without looping the recording is served once and the connection
    // stays open, like a controller with nothing more to say.
    Controller once;
    QVERIFY(once.Start({QStringLiteral("--address"), Host(75), QStringLiteral("--replay"), recording,
                        QStringLiteral("--quiet")}));
    QTcpSocket single;
    single.connectToHost(Host(75), 16721);
    QVERIFY(single.waitForConnected(5000));
    QTest::qWait(800);
    QCOMPARE(single.readAll(), QByteArray("ABCD"));
    QCOMPARE(single.state(), QAbstractSocket::ConnectedState);
}

void TestSnapshotReplay::damagedRecordingsAreRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<int>("exitCode");

    QByteArray truncated;
    {
        const QString path = m_dir.filePath(QStringLiteral("whole.rec"));
        WriteRecording(path, {{0, QByteArray(500, 'x')}});
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        truncated = file.readAll();
        truncated.chop(10);
    }
    QTest::newRow("not a recording") << QByteArray("READY 127.0.0.1 16721 16737\n") << QStringList() << 5;
    QTest::newRow("empty") << QByteArray() << QStringList() << 5;
    QTest::newRow("truncated") << truncated << QStringList() << 5;
    QTest::newRow("no file") << QByteArray("-") << QStringList() << 5;
    QTest::newRow("speed 0") << QByteArray("-") << QStringList{QStringLiteral("--replay-speed"), QStringLiteral("0")}
                             << 2;
    QTest::newRow("speed not a number")
        << QByteArray("-") << QStringList{QStringLiteral("--replay-speed"), QStringLiteral("fast")} << 2;
}

void TestSnapshotReplay::damagedRecordingsAreRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, extra);
    QFETCH(int, exitCode);

    const QString path = m_dir.filePath(QStringLiteral("refused.rec"));
    QFile::remove(path);
    if (content != "-") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const ProgramResult result =
        Run(kCtrlsim, QStringList{QStringLiteral("--address"), Host(76), QStringLiteral("--replay"), path} + extra);
    QVERIFY(!result.crashed);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY(!result.out.contains("READY"));
    QVERIFY2(result.err.startsWith("ctrlsim: "), result.err.constData());
    if (exitCode == 5)
        QVERIFY2(result.err.contains(path.toUtf8()), result.err.constData());

    // Replay options without a recording are a bad command line.
    const ProgramResult lone = Run(kCtrlsim, {QStringLiteral("--address"), Host(76), QStringLiteral("--replay-loop")});
    QCOMPARE(lone.exitCode, 2);
}

QTEST_GUILESS_MAIN(TestSnapshotReplay)
#include "tst_snapshot_replay.moc"
