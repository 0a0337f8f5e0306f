// The statistics window against a controller stand-in on its own loopback
// address: the form, what records put on it, failures, and how the window
// ends its channel and lives beside the screen windows.
#include "KprotChannel.h"
#include "KprotListener.h"
#include "LoopbackServer.h"
#include "RecordingMessages.h"
#include "StatisticsDlg.h"
#include "StatisticsLayout.h"
#include "StatisticsPayload.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using StatisticsPayload::Record;
using StatisticsPayload::SetValue;
using StatisticsLayout::UnitsToPixels;

namespace {

// Loopback addresses of this test's stand-ins; the window always uses the
// statistics service's own port.
const QString kStatsHost = QStringLiteral("127.0.41.1");
const QString kScreenHost = QStringLiteral("127.0.41.2");
const QString kSilentHost = QStringLiteral("127.0.41.3");

// The counters of the window as the controller's documentation lists them:
// label, payload offset, column and row in dialog units.
struct Row
{
    const char *label;
    int offset;
    int labelX;
    int valueX;
    int y;
};

const Row kRows[] = {
    {"tx_Kbyte", 84, 7, 90, 21},
    {"tx_packed", 88, 7, 90, 37},
    {"reg_arr_FAILED", 8, 7, 90, 57},
    {"reg_ist_RX_OVRN_INT", 12, 7, 90, 73},
    {"reg_ist_ERCV_INT", 16, 7, 90, 89},
    {"reg_data_LENGTH", 20, 7, 90, 105},
    {"reg_data_STATUS", 24, 7, 90, 121},
    {"reg_ephsr_SNGL_COL", 28, 7, 90, 153},
    {"reg_ephsr_MUL_COL", 32, 7, 90, 169},
    {"reg_ephsr_LTX_MULT", 36, 7, 90, 185},
    {"reg_ephsr_16_COL", 40, 7, 90, 201},
    {"rx_Kbyte", 92, 159, 242, 21},
    {"rx_packed", 96, 159, 242, 37},
    {"reg_ephsr_SQET", 44, 159, 242, 57},
    {"reg_ephsr_LTX_BRD", 48, 159, 242, 73},
    {"reg_ephsr_TX_DEFR", 52, 159, 242, 89},
    {"reg_ephsr_WAKEUP", 56, 159, 242, 105},
    {"reg_ephsr_LATCOL", 60, 159, 242, 121},
    {"reg_ephsr_LOST_CARR", 64, 159, 242, 137},
    {"reg_ephsr_EXC_DEF", 68, 159, 242, 153},
    {"reg_ephsr_CTR_ROL", 72, 159, 242, 169},
    {"reg_ephsr_RX_OVRN", 76, 159, 242, 185},
    {"reg_ephsr_TX_UNRN", 80, 159, 242, 201},
    {"rx_eth_unknown", 100, 337, 413, 21},
    {"rx_ieee802_unknown", 104, 337, 413, 37},
    {"tx_retry", 108, 337, 413, 76},
    {"tx_fine_retry", 112, 337, 413, 92},
    {"tx_IP_busy", 116, 337, 413, 108},
};

QLabel *LabelWithText(const QDialog &dialog, const QString &text)
{
    QLabel *found = nullptr;
    for (QLabel *label : dialog.findChildren<QLabel *>()) {
        if (label->text() == text) {
            if (found)
                return nullptr; // a text that shows twice is a fault of its own
            found = label;
        }
    }
    return found;
}

QLabel *LabelAt(const QDialog &dialog, const QRect &geometry)
{
    for (QLabel *label : dialog.findChildren<QLabel *>()) {
        if (label->geometry() == geometry)
            return label;
    }
    return nullptr;
}

QLabel *ValueOf(const QDialog &dialog, const Row &row)
{
    return LabelAt(dialog, UnitsToPixels(row.valueX, row.y, 63, 12));
}

QLabel *ChipLine(const QDialog &dialog)
{
    return dialog.findChild<QLabel *>(QStringLiteral("IDC_CHIP_LINE"));
}

// The chip line and every counter as the window shows them.
QStringList Shown(const QDialog &dialog)
{
    QStringList texts{ChipLine(dialog)->text()};
    for (const Row &row : kRows)
        texts << ValueOf(dialog, row)->text();
    return texts;
}

// The window before its first shown record.
QStringList Blank()
{
    QStringList texts;
    for (int i = 0; i < 29; ++i)
        texts << QString();
    return texts;
}

// What a record with counters base + offset puts on the window.
QStringList Expected(const QString &chipLine, int base)
{
    QStringList texts{chipLine};
    for (const Row &row : kRows)
        texts << QString::number(base + row.offset);
    return texts;
}

// Hands bytes to the window as one read of its channel would.
void Deliver(CStatisticsDlg &dialog, const QByteArray &bytes)
{
    auto *channel = dialog.findChild<CKprotChannel *>();
    QVERIFY(channel);
    channel->GetReceiveBuffer().append(bytes);
    dialog.OnChannelData();
}

int Buffered(const CStatisticsDlg &dialog)
{
    auto *channel = dialog.findChild<CKprotChannel *>();
    return channel ? channel->GetReceiveBuffer().size() : -1;
}

// Stands in for the screen view: counts the bytes its channel takes in and
// whether the statistics window was up at the time.
class ScreenListener : public CKprotListener
{
public:
    void OnChannelData() override
    {
        QByteArray &buffer = channel->GetReceiveBuffer();
        received += buffer.size();
        buffer.clear();
        if (statistics && statistics->isVisible())
            receivedWhileStatisticsOpen = received;
    }

    CKprotChannel *channel = nullptr;
    QPointer<QDialog> statistics;
    int received = 0;
    int receivedWhileStatisticsOpen = 0;
};

// A message sink that closes the statistics window while the channel's box
// is up, as a session end or the main window going away would.
class ClosingMessages final : public UserMessages
{
public:
    void Show(const QString &, const QString &text, MessageIcon) override
    {
        texts << text;
        if (!dialog)
            return;
        dialog->reject();
        channelAliveInsideBox = !channel.isNull();
    }

    QPointer<QDialog> dialog;
    QPointer<CKprotChannel> channel;
    QStringList texts;
    bool channelAliveInsideBox = false;
};

} // namespace

class TestStatsWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void formIsDialog132();
    void everyValueSitsBesideItsLabel();
    void twoRecordsInOneReadShowTheSecond();
    void unknownChipChangesNothing();
    void recordWaitsForItsLastByte();
    void foreignKindByteDropsTheBufferThenReadsOn();
    void fourFFBytesShowMinusOne();
    void recordsArriveOverTheNetworkSplitAnywhere_data();
    void recordsArriveOverTheNetworkSplitAnywhere();
    void failedConnectionReportsThenOpensEmpty();
    void peerClosingIsReportedAndWindowStays();
    void closingTheWindowEndsItsChannel_data();
    void closingTheWindowEndsItsChannel();
    void closedWhileTheChannelsBoxIsUp();
    void screenChannelKeepsReceivingWhileOpen();

private:
    RecordingMessages *m_messages = nullptr;
    LoopbackServer *m_server = nullptr;
};

void TestStatsWindow::init()
{
    m_messages = new RecordingMessages;
    m_server = new LoopbackServer(QHostAddress(kStatsHost), STATS_PORT);
    QVERIFY(m_server->isListening());
}

void TestStatsWindow::cleanup()
{
    delete m_server;
    delete m_messages;
}

void TestStatsWindow::formIsDialog132()
{
    CStatisticsDlg dialog(kStatsHost);
    QVERIFY(m_messages->entries.isEmpty());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Dati statistici - 127.0.41.1"));
    QCOMPARE(dialog.size(), QSize(725, 362)); // 483 x 223 units
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());

    for (const Row &row : kRows) {
        const QString text = QLatin1String(row.label);
        QLabel *label = LabelWithText(dialog, text);
        QVERIFY2(label, row.label);
        QCOMPARE(label->geometry().topLeft(), UnitsToPixels(row.labelX, row.y, 0, 0).topLeft());
        QCOMPARE(label->height(), UnitsToPixels(0, 0, 0, 12).height());
        QCOMPARE(label->frameShape(), QFrame::Box);
        QCOMPARE(label->alignment(), Qt::AlignCenter);
        QVERIFY2(label->geometry().right() < UnitsToPixels(row.valueX, 0, 0, 0).left(), row.label);
        // The whole name shows, not cut off by its box.
        QVERIFY2(label->fontMetrics().horizontalAdvance(text) <= label->contentsRect().width(), row.label);

        QLabel *value = ValueOf(dialog, row);
        QVERIFY2(value, row.label);
        QCOMPARE(value->alignment(), Qt::AlignCenter);
        QCOMPARE(value->frameShape(), QFrame::NoFrame);
        QVERIFY(value->text().isEmpty());
    }

    QLabel *ethernet = LabelWithText(dialog, QStringLiteral("ETHERNET"));
    QLabel *tcp = LabelWithText(dialog, QStringLiteral("TCP"));
    QVERIFY(ethernet && tcp);
    QCOMPARE(ethernet->geometry().topLeft(), UnitsToPixels(337, 7, 0, 0).topLeft());
    QCOMPARE(tcp->geometry().topLeft(), UnitsToPixels(337, 62, 0, 0).topLeft());

    // The chip line heads the window and starts empty, its template text gone.
    QVERIFY(ChipLine(dialog));
    QVERIFY(ChipLine(dialog)->text().isEmpty());
    QVERIFY(ChipLine(dialog)->geometry().bottom() < UnitsToPixels(0, 21, 0, 0).top());

    auto *ok = dialog.findChild<QPushButton *>(QStringLiteral("IDOK"));
    QVERIFY(ok);
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(ok->geometry(), UnitsToPixels(379, 177, 50, 14));
    QVERIFY(ok->isDefault());

    // Nothing else on the form: 28 pairs, two headings, the chip line.
    QCOMPARE(dialog.findChildren<QLabel *>().size(), 2 * 28 + 2 + 1);
}

void TestStatsWindow::everyValueSitsBesideItsLabel()
{
    CStatisticsDlg dialog(kStatsHost);
    // Each counter a number of its own, so a control showing the wrong
    // payload word cannot pass.
    QByteArray record = Record(4, 2, 0);
    for (const Row &row : kRows)
        SetValue(record, row.offset, 1000 * row.offset + row.y);
    Deliver(dialog, record);

    QCOMPARE(ChipLine(dialog)->text(), QStringLiteral("LAN91C94/96  rev. 2"));
    for (const Row &row : kRows)
        QCOMPARE(ValueOf(dialog, row)->text(), QString::number(1000 * row.offset + row.y));
}

void TestStatsWindow::twoRecordsInOneReadShowTheSecond()
{
    CStatisticsDlg dialog(kStatsHost);
    Deliver(dialog, Record(4, 2, 100) + Record(9, 0, 200));
    QCOMPARE(Shown(dialog), Expected(QStringLiteral("LAN91C110  rev. 0"), 200));
    QCOMPARE(Buffered(dialog), 0);
}

void TestStatsWindow::unknownChipChangesNothing()
{
    CStatisticsDlg dialog(kStatsHost);
    Deliver(dialog, Record(6, 1, 300));
    QCOMPARE(Shown(dialog), Blank());

    Deliver(dialog, Record(5, 1, 400));
    const QStringList before = Shown(dialog);
    QCOMPARE(before, Expected(QStringLiteral("LAN91C95  rev. 1"), 400));

    Deliver(dialog, Record(6, 7, 500));
    QCOMPARE(Shown(dialog), before);
    QCOMPARE(Buffered(dialog), 0);
    // A read whose newest record has an unknown chip changes nothing either.
    Deliver(dialog, Record(8, 1, 600) + Record(6, 1, 700));
    QCOMPARE(Shown(dialog), before);
}

void TestStatsWindow::recordWaitsForItsLastByte()
{
    CStatisticsDlg dialog(kStatsHost);
    const QByteArray record = Record(7, 3, 800);
    Deliver(dialog, record.left(256)); // kind byte and 255 payload bytes
    QCOMPARE(Buffered(dialog), 256);
    QCOMPARE(Shown(dialog), Blank());

    Deliver(dialog, record.right(1));
    QCOMPARE(Buffered(dialog), 0);
    QCOMPARE(Shown(dialog), Expected(QStringLiteral("LAN91C100  rev. 3"), 800));
}

void TestStatsWindow::foreignKindByteDropsTheBufferThenReadsOn()
{
    CStatisticsDlg dialog(kStatsHost);
    Deliver(dialog, Record(4, 1, 10));
    const QStringList before = Shown(dialog);

    // Kind 1 and a whole good record behind it: all of it goes, silently.
    Deliver(dialog, QByteArray(1, '\x01') + Record(9, 9, 20));
    QCOMPARE(Buffered(dialog), 0);
    QCOMPARE(Shown(dialog), before);
    QVERIFY(m_messages->entries.isEmpty());

    Deliver(dialog, Record(3, 4, 30));
    QCOMPARE(Shown(dialog), Expected(QStringLiteral("LAN91C90/92  rev. 4"), 30));
}

void TestStatsWindow::fourFFBytesShowMinusOne()
{
    CStatisticsDlg dialog(kStatsHost);
    QByteArray record = Record(4, 0, 0);
    record.replace(1 + 12, 4, QByteArray(4, '\xFF'));
    SetValue(record, 84, -123456);
    Deliver(dialog, record);
    QCOMPARE(ValueOf(dialog, kRows[3])->text(), QStringLiteral("-1")); // reg_ist_RX_OVRN_INT
    QCOMPARE(ValueOf(dialog, kRows[0])->text(), QStringLiteral("-123456")); // tx_Kbyte
}

void TestStatsWindow::recordsArriveOverTheNetworkSplitAnywhere_data()
{
    QTest::addColumn<int>("pieceSize");
    QTest::newRow("byte by byte") << 1;
    QTest::newRow("uneven pieces") << 100;
    QTest::newRow("whole records") << 257;
    QTest::newRow("all at once") << 3 * 257;
}

void TestStatsWindow::recordsArriveOverTheNetworkSplitAnywhere()
{
    QFETCH(int, pieceSize);
    CStatisticsDlg dialog(kStatsHost);
    QVERIFY(m_server->waitForClient());
    dialog.show();

    m_server->sendInPieces(Record(8, 1, 10) + Record(4, 2, 20) + Record(9, 5, 30), pieceSize);
    const QStringList expected = Expected(QStringLiteral("LAN91C110  rev. 5"), 30);
    QTRY_COMPARE(Shown(dialog), expected);
    QCOMPARE(Buffered(dialog), 0);
    QVERIFY(m_messages->entries.isEmpty());
}

void TestStatsWindow::failedConnectionReportsThenOpensEmpty()
{
    // Nothing listens on this address: the channel reports while the window
    // is being made, before anything of it is on screen.
    CStatisticsDlg dialog(kSilentHost);
    QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("Fallita connessione a host KPROT")});
    QCOMPARE(m_messages->entries.first().caption, QStringLiteral("Brenlow"));
    QCOMPARE(m_messages->entries.first().icon, MessageIcon::Error);
    QVERIFY(!dialog.isVisible());

    QTimer::singleShot(200, &dialog, [&dialog] {
        QVERIFY(dialog.isVisible());
        dialog.accept();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Dati statistici - 127.0.41.3"));
    QCOMPARE(Shown(dialog), Blank());
    QCOMPARE(m_messages->entries.size(), 1);
}

void TestStatsWindow::peerClosingIsReportedAndWindowStays()
{
    CStatisticsDlg dialog(kStatsHost);
    QVERIFY(m_server->waitForClient());
    dialog.show();
    m_server->send(Record(5, 1, 40));
    QTRY_COMPARE(ChipLine(dialog)->text(), QStringLiteral("LAN91C95  rev. 1"));

    m_server->closeClient();
    QTRY_COMPARE(m_messages->texts(), QStringList{QStringLiteral("Host canale KPROT chiuso")});
    QCOMPARE(m_messages->entries.first().icon, MessageIcon::Error);
    QTest::qWait(100);
    QVERIFY(dialog.isVisible());
    QCOMPARE(Shown(dialog), Expected(QStringLiteral("LAN91C95  rev. 1"), 40));
    QCOMPARE(m_messages->entries.size(), 1);
}

void TestStatsWindow::closingTheWindowEndsItsChannel_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("OK button") << QStringLiteral("ok");
    QTest::newRow("Enter") << QStringLiteral("enter");
    QTest::newRow("Esc") << QStringLiteral("escape");
    QTest::newRow("close box") << QStringLiteral("close");
}

void TestStatsWindow::closingTheWindowEndsItsChannel()
{
    QFETCH(QString, how);
    CStatisticsDlg dialog(kStatsHost);
    QVERIFY(m_server->waitForClient());
    QPointer<QTcpSocket> peer = m_server->client();
    QPointer<CKprotChannel> channel = dialog.findChild<CKprotChannel *>();
    QVERIFY(channel && channel->IsOpen());

    QTimer::singleShot(100, &dialog, [&dialog, how] {
        if (how == QLatin1String("ok"))
            QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("IDOK")), Qt::LeftButton);
        else if (how == QLatin1String("enter"))
            QTest::keyClick(&dialog, Qt::Key_Return);
        else if (how == QLatin1String("escape"))
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.close();
    });
    QTimer::singleShot(5000, &dialog, &QDialog::reject); // in case nothing closes it
    QElapsedTimer elapsed;
    elapsed.start();
    dialog.exec();
    QVERIFY(elapsed.elapsed() < 4000);

    QTRY_VERIFY(channel.isNull());
    QTRY_VERIFY(!peer || peer->state() == QAbstractSocket::UnconnectedState);
    // Records that still come are no one's business any more.
    m_server->send(Record(4, 1, 1));
    QTest::qWait(50);
    QVERIFY(ChipLine(dialog)->text().isEmpty());
    QVERIFY(m_messages->entries.isEmpty());
}

void TestStatsWindow::closedWhileTheChannelsBoxIsUp()
{
    CStatisticsDlg dialog(kStatsHost);
    QVERIFY(m_server->waitForClient());
    dialog.show();
    m_server->send(Record(7, 1, 10));
    QTRY_COMPARE(ChipLine(dialog)->text(), QStringLiteral("LAN91C100  rev. 1"));

    ClosingMessages messages;
    messages.dialog = &dialog;
    messages.channel = dialog.findChild<CKprotChannel *>();
    SetMessages(&messages);
    // The peer's close is reported from inside the channel's notification;
    // the channel still runs there, so it must outlive the window's close
    // and then go quietly.
    m_server->send(QByteArray(100, '\0'));
    m_server->closeClient();
    QTRY_COMPARE(messages.texts, QStringList{QStringLiteral("Host canale KPROT chiuso")});
    SetMessages(m_messages);

    QVERIFY(messages.channelAliveInsideBox);
    QTRY_VERIFY(messages.channel.isNull());
    QVERIFY(!dialog.isVisible());
    QCOMPARE(ChipLine(dialog)->text(), QStringLiteral("LAN91C100  rev. 1"));
}

void TestStatsWindow::screenChannelKeepsReceivingWhileOpen()
{
    LoopbackServer screenServer(QHostAddress(kScreenHost), SCREEN_PORT);
    QVERIFY(screenServer.isListening());
    ScreenListener screen;
    CKprotChannel screenChannel;
    screen.channel = &screenChannel;
    screenChannel.Open(kScreenHost, &screen, SCREEN_PORT);
    QVERIFY(screenChannel.IsOpen());
    QVERIFY(screenServer.waitForClient());

    CStatisticsDlg dialog(kStatsHost);
    screen.statistics = &dialog;
    QVERIFY(m_server->waitForClient());

    // Both controllers talk while the window runs its modal loop; it is
    // closed once both streams were taken in, or after a while regardless.
    const QByteArray screenBytes(5000, '\x03');
    QTimer::singleShot(100, &dialog, [&] {
        screenServer.send(screenBytes);
        m_server->send(Record(9, 2, 90));
    });
    QTimer poll;
    connect(&poll, &QTimer::timeout, &dialog, [&] {
        if (screen.received == screenBytes.size() && !ChipLine(dialog)->text().isEmpty())
            dialog.accept();
    });
    poll.start(20);
    QTimer::singleShot(5000, &dialog, &QDialog::reject);

    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(screen.receivedWhileStatisticsOpen, screenBytes.size());
    QCOMPARE(ChipLine(dialog)->text(), QStringLiteral("LAN91C110  rev. 2"));
    // The screen channel is untouched by the window's end.
    QVERIFY(screenChannel.IsOpen());
    screenServer.send(QByteArray(10, '\x03'));
    QTRY_COMPARE(screen.received, screenBytes.size() + 10);
}

QTEST_MAIN(TestStatsWindow)
#include "tst_stats_window.moc"
