// The statistics window against the simulated controller's statistics
// service: the chip line and every counter come up and follow the records
// the controller pushes.
#include "KprotChannel.h"
#include "RecordingMessages.h"
#include "SimulatedController.h"
#include "StatisticsDlg.h"
#include "StatisticsTexts.h"

#include <QLabel>
#include <QtTest>

namespace {

const QString kHost = QStringLiteral("127.0.41.10");

QString TextOf(const QDialog &dialog, const char *objectName)
{
    auto *label = dialog.findChild<QLabel *>(QLatin1String(objectName));
    return label ? label->text() : QStringLiteral("<missing>");
}

} // namespace

class TestStatsSimulator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void showsTheControllersRecordsAsTheyCome();

private:
    SimulatedController *m_controller = nullptr;
    RecordingMessages *m_messages = nullptr;
};

void TestStatsSimulator::init()
{
    m_messages = new RecordingMessages;
    m_controller = new SimulatedController(QStringLiteral(CTRLSIM_PATH));
    // Records five times a second, each written in pieces of random size,
    // and a screen service out of the way on a port of its own.
    QVERIFY(m_controller->Start(kHost, {QStringLiteral("--screen-port"), QStringLiteral("0"),
                                        QStringLiteral("--chip"), QStringLiteral("4"),
                                        QStringLiteral("--revision"), QStringLiteral("2"),
                                        QStringLiteral("--stats-ms"), QStringLiteral("200"),
                                        QStringLiteral("--split-writes")}));
    QCOMPARE(int(m_controller->StatsPort()), int(STATS_PORT));
}

void TestStatsSimulator::cleanup()
{
    delete m_controller;
    m_controller = nullptr;
    delete m_messages;
}

void TestStatsSimulator::showsTheControllersRecordsAsTheyCome()
{
    CStatisticsDlg dialog(kHost);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Dati statistici - 127.0.41.10"));
    dialog.show();

    QTRY_COMPARE_WITH_TIMEOUT(TextOf(dialog, "IDC_CHIP_LINE"), QStringLiteral("LAN91C94/96  rev. 2"), 5000);
    for (const auto &counter : StatisticsTexts::StatisticsCounters()) {
        bool number = false;
        TextOf(dialog, counter.objectName).toInt(&number);
        QVERIFY2(number, counter.label);
    }

    // The controller's traffic counters grow from record to record.
    const qint64 first = TextOf(dialog, "IDC_TX_PACKED").toLongLong();
    QTRY_VERIFY_WITH_TIMEOUT(TextOf(dialog, "IDC_TX_PACKED").toLongLong() > first, 5000);

    dialog.accept();
    QVERIFY(m_messages->entries.isEmpty());
}

QTEST_MAIN(TestStatsSimulator)
#include "tst_stats_simulator.moc"
