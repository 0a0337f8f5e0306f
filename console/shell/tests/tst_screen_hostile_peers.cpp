// Screen windows against simulated controllers that misbehave: ones that
// end the connection before or after their first block, and one that sends
// its panel a byte at a time. The windows live in an MDI area of the test's
// own, with a host that records what they ask of the console.
#include "BrenlowView.h"
#include "ChildFrame.h"
#include "CommandIds.h"
#include "KprotChannel.h"
#include "RecordingMessages.h"
#include "ScreenViewHost.h"
#include "SimulatedController.h"

#include <QMdiArea>
#include <QPointer>
#include <QSet>
#include <QtTest>

namespace {

const QStringList kEndMessages = {QStringLiteral("Host canale KPROT chiuso"),
                                  QStringLiteral("Errore ricezione canale KPROT")};

QStringList ScreenServiceOptions(const QStringList &more)
{
    return QStringList{QStringLiteral("--screen-port"), QString::number(SCREEN_PORT),
                       QStringLiteral("--stats-port"), QStringLiteral("0")}
        + more;
}

// The console as the screen windows see it: the addresses open in its MDI
// area, the timed repaint, and the keypads they hide as they go.
class RecordingHost : public ScreenViewHost
{
public:
    RecordingHost()
    {
        m_refresh.setSingleShot(true);
        m_refresh.setInterval(kRefreshPeriodMs);
        QObject::connect(&m_refresh, &QTimer::timeout, [this] {
            for (CChildFrame *frame : Windows()) {
                if (frame->GetView()->IsDirty()) {
                    frame->GetView()->ClearDirty();
                    frame->GetView()->Repaint();
                }
            }
        });
        m_area.show();
    }
    ~RecordingHost() override { qDeleteAll(Windows()); }

    CChildFrame *Open(const QString &address)
    {
        CChildFrame *frame = CChildFrame::OpenScreen(address, this);
        if (frame)
            m_area.addSubWindow(frame)->hide();
        return frame;
    }
    QList<CChildFrame *> Windows() const { return CChildFrame::ScreenWindowsIn(&m_area); }

    bool IsAddressOpen(const QString &address) const override
    {
        const auto frames = Windows();
        return std::any_of(frames.begin(), frames.end(), [&](CChildFrame *frame) {
            return frame->GetView()->GetChannel()->GetHost() == address;
        });
    }
    void ArmRefresh() override { m_refresh.start(); }
    void HideKeypad(int, CKprotChannel *channel) override { hidden.append(channel); }

    QList<CKprotChannel *> hidden;

private:
    QMdiArea m_area;
    QTimer m_refresh;
};

} // namespace

class TestScreenHostilePeers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void peerEndingBeforeItsFirstBlockLeavesTheAddressFree_data();
    void peerEndingBeforeItsFirstBlockLeavesTheAddressFree();
    void peerEndingAfterItsFirstBlockKeepsTheWindow();
    void tricklingPeerShowsItsPanel();

private:
    RecordingMessages *m_messages = nullptr;
    RecordingHost *m_host = nullptr;
};

void TestScreenHostilePeers::init()
{
    m_messages = new RecordingMessages;
    m_host = new RecordingHost;
}

void TestScreenHostilePeers::cleanup()
{
    delete m_host;
    delete m_messages;
}

void TestScreenHostilePeers::peerEndingBeforeItsFirstBlockLeavesTheAddressFree_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("fault");
    QTest::newRow("orderly close") << "127.0.20.61" << QStringList{"--close-after", "0"};
    QTest::newRow("reset") << "127.0.20.62" << QStringList{"--reset-after", "0"};
    QTest::newRow("half-close") << "127.0.20.63" << QStringList{"--half-close-after", "0"};
    // A block the console rejects shows nothing either.
    QTest::newRow("rejected block, then close")
        << "127.0.20.64" << QStringList{"--invalid-kind-after", "0", "--close-after", "0"};
}

void TestScreenHostilePeers::peerEndingBeforeItsFirstBlockLeavesTheAddressFree()
{
    QFETCH(QString, address);
    QFETCH(QStringList, fault);
    SimulatedController controller(QStringLiteral(CTRLSIM_PATH));
    QVERIFY(controller.Start(address, ScreenServiceOptions(fault)));

    for (int attempt = 1; attempt <= 2; ++attempt) {
        QPointer<CChildFrame> frame = m_host->Open(address);
        if (frame) {
            // The operator is told once, and the window that never showed goes.
            QTRY_VERIFY_WITH_TIMEOUT(frame.isNull(), 5000);
            QVERIFY2(kEndMessages.contains(m_messages->entries.last().text),
                     qPrintable(m_messages->entries.last().text));
        } else {
            // A reset right after the connection was taken can fail the
            // connection itself; that window is discarded at once.
            QCOMPARE(m_messages->entries.last().text, QStringLiteral("Fallita connessione a host KPROT"));
        }
        QVERIFY(m_host->Windows().isEmpty());
        QCOMPARE(m_messages->entries.size(), attempt);
    }
    QCOMPARE(m_messages->count(QStringLiteral("Canale già aperto")), 0);
}

void TestScreenHostilePeers::peerEndingAfterItsFirstBlockKeepsTheWindow()
{
    const QString address = QStringLiteral("127.0.20.65");
    SimulatedController controller(QStringLiteral(CTRLSIM_PATH));
    QVERIFY(controller.Start(address, ScreenServiceOptions({QStringLiteral("--close-after"), QStringLiteral("3")})));

    QPointer<CChildFrame> frame = m_host->Open(address);
    QVERIFY(frame);
    QTRY_COMPARE_WITH_TIMEOUT(m_messages->count(QStringLiteral("Host canale KPROT chiuso")), 1, 5000);
    // The image that came is shown, and the window stays with it.
    QTRY_VERIFY_WITH_TIMEOUT(frame && frame->isVisible(), 5000);
    QTest::qWait(300);
    QVERIFY(frame);
    QCOMPARE(frame->StatusText(), QStringLiteral("blocco linea: 2"));
    QVERIFY(frame->GetView()->GetChannel()->IsOpen());

    // It still holds its address until the operator closes it, and going
    // it hides the keypad that typed into its channel.
    QVERIFY(!m_host->Open(address));
    QCOMPARE(m_messages->texts().last(), QStringLiteral("Canale già aperto"));
    CKprotChannel *channel = frame->GetView()->GetChannel();
    QVERIFY(m_host->hidden.isEmpty());
    frame->close();
    QTRY_VERIFY(frame.isNull());
    QCOMPARE(m_host->hidden, QList<CKprotChannel *>{channel});
    QVERIFY(m_host->Open(address));
}

void TestScreenHostilePeers::tricklingPeerShowsItsPanel()
{
    const QString address = QStringLiteral("127.0.20.66");
    SimulatedController controller(QStringLiteral(CTRLSIM_PATH));
    QVERIFY(controller.Start(address, ScreenServiceOptions({QStringLiteral("--layout"), QStringLiteral("2"),
                                                            QStringLiteral("--trickle-ms"), QStringLiteral("1"),
                                                            QStringLiteral("--rate-ms"), QStringLiteral("3600000")})));

    QPointer<CChildFrame> frame = m_host->Open(address);
    QVERIFY(frame);
    // Every status text the window shows on its way through the 17 bands.
    QSet<QString> texts;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        if (frame)
            texts.insert(frame->StatusText());
    });
    watch.start(2);
    QTRY_VERIFY_WITH_TIMEOUT(frame && frame->StatusText() == QLatin1String("blocco linea: 16"), 30000);
    watch.stop();

    for (const QString &text : qAsConst(texts))
        QVERIFY2(!text.startsWith(QLatin1String("ERRORE")), qPrintable(text));
    QVERIFY(texts.contains(QStringLiteral("blocco linea: 0")));
    CBrenlowView *view = frame->GetView();
    QCOMPARE(view->GetDisplayMode(), 1);
    QCOMPARE(view->GetKeyboardLayout(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(frame->isVisible(), 3000);
    QCOMPARE(view->size(), QSize(240, 128));
    // The panel's title bar is drawn: band 0 holds dark pixels.
    int dark = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 30; ++x)
            dark += view->GetImage().Row(y)[x] != 0;
    QVERIFY(dark > 0);
    QVERIFY(m_messages->entries.isEmpty());
}

QTEST_MAIN(TestScreenHostilePeers)
#include "tst_screen_hostile_peers.moc"
