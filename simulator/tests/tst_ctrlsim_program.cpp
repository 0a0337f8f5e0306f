// The ctrlsim program as scripts start it: its READY line, its key log on
// standard output, and its exit codes for a bad command line or a busy port.
#include "PanelDecoder.h"

#include <QHostAddress>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <algorithm>

namespace {

struct Run
{
    int exitCode;
    QString errors;
};

Run RunToEnd(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(CTRLSIM_BINARY), arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return {-1, QStringLiteral("did not end")};
    }
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardError())};
}

} // namespace

class TestCtrlsimProgram : public QObject
{
    Q_OBJECT

private slots:
    void printsReadyAndLogsKeysOnStandardOutput();
    void refusesAnAddressOutsideLoopback();
    void refusesABadCommandLine();
    void reportsAPortInUse();
    void splitWritesReachAnotherProcessInPieces();
};

void TestCtrlsimProgram::printsReadyAndLogsKeysOnStandardOutput()
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(CTRLSIM_BINARY),
                  {"--screen-port", "0", "--stats-port", "0", "--format", "raw", "--layout", "1", "--quiet"});
    QVERIFY(process.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(process.canReadLine(), 10000);
    const QString ready = QString::fromLatin1(process.readLine()).trimmed();
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^READY 127\\.0\\.0\\.1 (\\d+) (\\d+)$")).match(ready);
    QVERIFY2(match.hasMatch(), qPrintable(ready));
    const quint16 screenPort = quint16(match.captured(1).toUInt());
    const quint16 statsPort = quint16(match.captured(2).toUInt());
    QVERIFY(screenPort != 0 && statsPort != 0 && screenPort != statsPort);

    QTcpSocket console;
    console.connectToHost(QHostAddress(QHostAddress::LocalHost), screenPort);
    QVERIFY(console.waitForConnected(5000));
    QTRY_VERIFY_WITH_TIMEOUT(console.bytesAvailable() >= 240 * 322, 10000);
    QCOMPARE(int(quint8(console.peek(1).at(0))), 4);
    console.write(QByteArray::fromHex("0041014110"));
    console.flush();
    // The odd byte at the end waits for its partner and is not logged.
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += process.readAllStandardOutput()).count('\n') >= 2, 10000);
    const QStringList lines = QString::fromLatin1(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).endsWith(QLatin1String(" key flags=0x00 code=0x41")));
    QVERIFY(lines.at(1).endsWith(QLatin1String(" key flags=0x01 code=0x41")));

    QTcpSocket statistics;
    statistics.connectToHost(QHostAddress(QHostAddress::LocalHost), statsPort);
    QVERIFY(statistics.waitForConnected(5000));
    QTRY_VERIFY_WITH_TIMEOUT(statistics.bytesAvailable() >= 257, 10000);

    process.terminate();
    QVERIFY(process.waitForFinished(5000));
}

void TestCtrlsimProgram::refusesAnAddressOutsideLoopback()
{
    const Run run = RunToEnd({"--address", "192.168.1.20"});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.errors.contains(QLatin1String("127.0.0.0/8")), qPrintable(run.errors));
}

void TestCtrlsimProgram::refusesABadCommandLine()
{
    for (const QStringList &arguments : {QStringList{"--format", "colour"}, QStringList{"--layout", "x"},
                                         QStringList{"--flood", "--bogus"}}) {
        const Run run = RunToEnd(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(!run.errors.isEmpty());
    }
}

void TestCtrlsimProgram::reportsAPortInUse()
{
    QTcpServer busy;
    QVERIFY(busy.listen(QHostAddress(QHostAddress::LocalHost), 0));
    const Run run = RunToEnd({"--screen-port", QString::number(busy.serverPort()), "--stats-port", "0"});
    QCOMPARE(run.exitCode, 3);
    QVERIFY2(run.errors.contains(QLatin1String("already in use")), qPrintable(run.errors));
}

void TestCtrlsimProgram::splitWritesReachAnotherProcessInPieces()
{
    QProcess process;
    process.start(QStringLiteral(CTRLSIM_BINARY),
                  {"--screen-port", "0", "--stats-port", "0", "--format", "raw", "--split-writes", "--seed", "5",
                   // No clock update may follow the panel into the last read.
                   "--rate-ms", "600000", "--quiet"});
    QVERIFY(process.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(process.canReadLine(), 10000);
    const QStringList ready = QString::fromLatin1(process.readLine()).trimmed().split(QLatin1Char(' '));
    QCOMPARE(ready.size(), 4);

    // Each connection gets the whole panel first. How many reads the pieces
    // take depends on how the two processes are scheduled: on a busy machine
    // the pieces can pile up in the socket before this side reads, so a few
    // connections are tried and the most pieced-apart one counts.
    int mostReads = 0;
    for (int attempt = 0; attempt < 5 && mostReads < 10; ++attempt) {
        QTcpSocket console;
        console.connectToHost(QHostAddress(QHostAddress::LocalHost), quint16(ready.at(2).toUInt()));
        QVERIFY(console.waitForConnected(5000));
        QByteArray stream;
        int reads = 0;
        while (stream.size() < 240 * 322 && console.waitForReadyRead(5000)) {
            stream += console.readAll();
            ++reads;
        }

        PanelDecoder decoder;
        for (int line = 0; line < 240; ++line) {
            DecodedBlock block;
            QCOMPARE(decoder.DecodeNext(stream, &block), PanelDecoder::Result::Block);
            QCOMPARE(block.number, line);
        }
        // Nothing follows the panel on the first connection. A later one may
        // already see lines that changed since, the last of them cut short.
        if (attempt == 0)
            QVERIFY(stream.isEmpty());
        mostReads = std::max(mostReads, reads);
    }
    process.terminate();
    QVERIFY(process.waitForFinished(5000));
    // Whole lines would come in a handful of reads; pieces make many more.
    QVERIFY2(mostReads >= 10, qPrintable(QString::number(mostReads)));
}

QTEST_GUILESS_MAIN(TestCtrlsimProgram)
#include "tst_ctrlsim_program.moc"
