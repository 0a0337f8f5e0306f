// Screen windows against controller stand-ins on their own loopback
// addresses: opening and refusing, decoding into the window, the timed
// repaint, sizing on the first image and the painted picture.
#include "BrenlowApp.h"
#include "BrenlowDoc.h"
#include "BrenlowView.h"
#include "ChildFrame.h"
#include "KprotChannel.h"
#include "LoopbackServer.h"
#include "MainFrame.h"
#include "RecordingMessages.h"
#include "ScreenBlocks.h"
#include "StatusPane.h"

#include <QElapsedTimer>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QtTest>

using namespace ScreenBlocks;

namespace {

QHostAddress Loopback(int last)
{
    return QHostAddress(QStringLiteral("127.0.0.%1").arg(last));
}

// Counts the timer events the whole program receives, except those of one
// timer of the test's own.
class TimerEventCounter : public QObject
{
public:
    explicit TimerEventCounter(const QObject *ignored)
        : m_ignored(ignored)
    {
        qApp->installEventFilter(this);
    }
    ~TimerEventCounter() override { qApp->removeEventFilter(this); }

    QStringList receivers;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Timer && watched != m_ignored)
            receivers << QString::fromLatin1(watched->metaObject()->className()) + QLatin1Char(' ')
                    + watched->objectName();
        return false;
    }

private:
    const QObject *m_ignored;
};

} // namespace

class TestScreenWindows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowStaysHiddenUntilItsFirstImage();
    void stalledFirstBlockShowsTheWindowAfterItsWait();
    void windowsShownTogetherAreUsableAndTheLastIsActive();
    void monochromeFirstSizesForMonochromeAndKeepsThatSize();
    void paintedColoursMatchThePanel();
    void tenBlocksIn200msGiveOneTimedRepaint();
    void sameAddressTextIsRefusedOtherSpellingIsNot();
    void channelListOpensEveryReachableController();
    void emptyListLineAsksForTheAddress();
    void badListLinesAreRefusedAndCountedPastTen();
    void quotedCommandLineFailsWithTheQuotedText();
    void refreshRequestAndStatusTexts();
    void closingTheWindowClosesItsChannel();
    void statusPaneShowsTheLastTextOfABurst();
    void staticPanelsLeaveTheConsoleAsleep();

private:
    CChildFrame *open(const QString &address);

    RecordingMessages *m_messages = nullptr;
    CBrenlowApp *m_app = nullptr;
    int m_prompts = 0;
    QString m_promptAnswer;
};

void TestScreenWindows::init()
{
    m_messages = new RecordingMessages;
    m_app = new CBrenlowApp;
    m_prompts = 0;
    m_promptAnswer.clear();
    m_app->SetAddressPrompt([this](QString *address) {
        ++m_prompts;
        *address = m_promptAnswer;
        return !m_promptAnswer.isEmpty();
    });
    QVERIFY(m_app->InitInstance(QString()));
}

void TestScreenWindows::cleanup()
{
    delete m_app;
    delete m_messages;
}

CChildFrame *TestScreenWindows::open(const QString &address)
{
    return m_app->OpenScreenWindow(address);
}

void TestScreenWindows::windowStaysHiddenUntilItsFirstImage()
{
    LoopbackServer server(Loopback(21), SCREEN_PORT);
    QVERIFY(server.isListening());
    CChildFrame *frame = open(QStringLiteral("127.0.0.21"));
    QVERIFY(frame);
    QCOMPARE(frame->windowTitle(), QStringLiteral("127.0.0.21"));
    QCOMPARE(frame->GetDocument()->GetTitle(), QStringLiteral("127.0.0.21"));
    QVERIFY(server.waitForClient());

    // A paint request before any block draws nothing and sizes nothing.
    frame->GetView()->Repaint();
    QVERIFY(!frame->isVisible());
    QTest::qWait(1200);
    QVERIFY(!frame->isVisible());
    QVERIFY(!m_app->GetMainFrame()->IsRefreshTimerActive());

    server.send(RawLine(0, 0xE0));
    QTRY_VERIFY_WITH_TIMEOUT(frame->isVisible(), 3000);
    QCOMPARE(frame->GetView()->size(), QSize(320, 240));
    QVERIFY(!frame->GetView()->IsDirty());
}

void TestScreenWindows::stalledFirstBlockShowsTheWindowAfterItsWait()
{
    // A controller that announces a long line and stops: the window shows
    // after its wait, saying so, and can be closed to free the address.
    LoopbackServer server(QHostAddress(QStringLiteral("127.0.21.50")), SCREEN_PORT);
    CChildFrame *frame = open(QStringLiteral("127.0.21.50"));
    QVERIFY(frame && server.waitForClient());
    server.send(QByteArray::fromHex("02ffff05"));
    QTest::qWait(CBrenlowView::kFirstImageWaitMs - 1000);
    QVERIFY(!frame->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(frame->isVisible(), 3000);
    QVERIFY(frame->StatusText().contains(QStringLiteral("4 byte")));
    frame->close();
    QTRY_VERIFY(m_app->ScreenWindows().isEmpty());
    QVERIFY(open(QStringLiteral("127.0.21.50")));
    QVERIFY(m_messages->entries.isEmpty());
}

void TestScreenWindows::windowsShownTogetherAreUsableAndTheLastIsActive()
{
    QList<LoopbackServer *> servers;
    QList<CChildFrame *> frames;
    for (int host = 37; host <= 39; ++host) {
        servers << new LoopbackServer(Loopback(host), SCREEN_PORT);
        frames << open(QStringLiteral("127.0.0.%1").arg(host));
        QVERIFY(frames.last() && servers.last()->waitForClient());
    }
    // All three images come before one timed repaint shows the windows.
    for (LoopbackServer *server : qAsConst(servers))
        server->send(RawLine(0, 0x1C));
    for (CChildFrame *frame : qAsConst(frames))
        QTRY_VERIFY_WITH_TIMEOUT(frame->isVisible(), 3000);
    for (CChildFrame *frame : qAsConst(frames))
        QVERIFY(frame->isEnabled());
    QCOMPARE(m_app->GetMainFrame()->MdiArea()->activeSubWindow(), frames.last());
    qDeleteAll(servers);
}

void TestScreenWindows::monochromeFirstSizesForMonochromeAndKeepsThatSize()
{
    LoopbackServer server(Loopback(22), SCREEN_PORT);
    CChildFrame *frame = open(QStringLiteral("127.0.0.22"));
    QVERIFY(frame && server.waitForClient());

    server.send(Band(0, 0xFF));
    QTRY_VERIFY_WITH_TIMEOUT(frame->isVisible(), 3000);
    CBrenlowView *view = frame->GetView();
    QCOMPARE(view->size(), QSize(240, 128));
    const QSize frameSize = frame->size();
    QCOMPARE(frame->minimumSize(), frame->maximumSize()); // no sizing border

    server.send(RawLine(10, 0x1C, 2));
    QTRY_COMPARE_WITH_TIMEOUT(view->GetDisplayMode(), 2, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(view->TimedRepaintCount(), 2, 3000);
    QCOMPARE(frame->size(), frameSize);
    QCOMPARE(view->size(), QSize(240, 128));
    QCOMPARE(view->GetKeyboardLayout(), 2);
    // The colour line shows, clipped to the monochrome-sized window.
    const QImage shown = view->grab().toImage();
    QCOMPARE(shown.pixelColor(239, 10), QColor(0, 255, 0));
}

void TestScreenWindows::paintedColoursMatchThePanel()
{
    LoopbackServer server(Loopback(23), SCREEN_PORT);
    CChildFrame *frame = open(QStringLiteral("127.0.0.23"));
    QVERIFY(frame && server.waitForClient());

    QByteArray pixels(320, 0);
    pixels[0] = char(0xFF);
    pixels[1] = char(0xE0);
    pixels[2] = char(0xA5);
    server.send(RawLine(5, pixels));
    QTRY_VERIFY_WITH_TIMEOUT(frame->isVisible(), 3000);
    QImage shown = frame->GetView()->grab().toImage();
    QCOMPARE(shown.pixelColor(0, 5), QColor(255, 255, 255));
    QCOMPARE(shown.pixelColor(1, 5), QColor(255, 0, 0));
    QCOMPARE(shown.pixelColor(2, 5), QColor(198, 36, 90));
    QCOMPARE(shown.pixelColor(3, 5), QColor(0, 0, 0));

    // Monochrome bits: 0x01 darkens x = 0 only, 0x80 x = 7 only.
    QByteArray band(240, 0);
    band[0] = char(0x01);
    band[30] = char(0x80);
    QByteArray block;
    block.append(char(0)).append(char(0)).append(band);
    server.send(block);
    QTRY_COMPARE_WITH_TIMEOUT(frame->GetView()->TimedRepaintCount(), 2, 3000);
    shown = frame->GetView()->grab().toImage();
    QCOMPARE(shown.pixelColor(0, 0), QColor(0, 0, 0));
    QCOMPARE(shown.pixelColor(1, 0), QColor(255, 255, 255));
    QCOMPARE(shown.pixelColor(7, 1), QColor(0, 0, 0));
    QCOMPARE(shown.pixelColor(6, 1), QColor(255, 255, 255));
}

void TestScreenWindows::tenBlocksIn200msGiveOneTimedRepaint()
{
    LoopbackServer server(Loopback(24), SCREEN_PORT);
    CChildFrame *frame = open(QStringLiteral("127.0.0.24"));
    QVERIFY(frame && server.waitForClient());
    CBrenlowView *view = frame->GetView();

    QElapsedTimer clock;
    clock.start();
    qint64 firstRepaintAt = -1;
    QTimer watch;
    watch.setInterval(5);
    connect(&watch, &QTimer::timeout, [&] {
        if (firstRepaintAt < 0 && view->TimedRepaintCount() > 0)
            firstRepaintAt = clock.elapsed();
    });
    watch.start();
    for (int i = 0; i < 10; ++i) {
        server.send(RawLine(i, quint8(i)));
        QTest::qWait(20);
    }
    QTRY_COMPARE_WITH_TIMEOUT(view->TimedRepaintCount(), 1, 3000);
    QTest::qWait(300);
    QCOMPARE(view->TimedRepaintCount(), 1);
    QVERIFY2(firstRepaintAt >= 950 && firstRepaintAt < 3000,
             qPrintable(QStringLiteral("repainted after %1 ms").arg(firstRepaintAt)));
    QVERIFY(!m_app->GetMainFrame()->IsRefreshTimerActive());
    QCOMPARE(frame->StatusText(), QStringLiteral("blocco linea: 9"));
}

void TestScreenWindows::sameAddressTextIsRefusedOtherSpellingIsNot()
{
    LoopbackServer server(Loopback(25), SCREEN_PORT);
    QVERIFY(open(QStringLiteral("127.0.0.25")));
    QVERIFY(server.waitForClient());

    QVERIFY(!open(QStringLiteral("127.0.0.25")));
    QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("Canale già aperto")});
    QCOMPARE(m_messages->entries.first().icon, MessageIcon::Error);
    QCOMPARE(m_app->ScreenWindows().size(), 1);

    // The same controller written with zeros in a field is another text.
    CChildFrame *second = open(QStringLiteral("127.000.0.25"));
    QVERIFY(second);
    QCOMPARE(second->windowTitle(), QStringLiteral("127.000.0.25"));
    QCOMPARE(m_app->ScreenWindows().size(), 2);
    QCOMPARE(m_messages->entries.size(), 1);
}

void TestScreenWindows::channelListOpensEveryReachableController()
{
    LoopbackServer first(Loopback(26), SCREEN_PORT);
    LoopbackServer third(Loopback(28), SCREEN_PORT);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("canali.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // Written on Windows: CR LF line ends.
    file.write("127.0.0.26\r\n127.0.0.27\r\n127.0.0.28\r\n");
    file.close();

    m_app->OpenChannelList(path);
    const auto windows = m_app->ScreenWindows();
    QCOMPARE(windows.size(), 2);
    QCOMPARE(windows.at(0)->windowTitle(), QStringLiteral("127.0.0.26"));
    QCOMPARE(windows.at(1)->windowTitle(), QStringLiteral("127.0.0.28"));
    QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("Fallita connessione a host KPROT")});
    QVERIFY(first.waitForClient() && third.waitForClient());
    QCOMPARE(m_prompts, 0);
}

void TestScreenWindows::emptyListLineAsksForTheAddress()
{
    LoopbackServer server(Loopback(29), SCREEN_PORT);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vuota.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\n\n");
    file.close();

    // First empty line: the operator cancels (no message, no window);
    // second: the operator types the address.
    int asked = 0;
    m_app->SetAddressPrompt([&](QString *address) {
        ++asked;
        if (asked == 1)
            return false;
        *address = QStringLiteral("127.0.0.29");
        return true;
    });
    m_app->OpenChannelList(path);
    QCOMPARE(asked, 2);
    QCOMPARE(m_app->ScreenWindows().size(), 1);
    QCOMPARE(m_app->ScreenWindows().first()->windowTitle(), QStringLiteral("127.0.0.29"));
    QVERIFY(m_messages->entries.isEmpty());
}

void TestScreenWindows::badListLinesAreRefusedAndCountedPastTen()
{
    // A controller listens at the address before the NUL: a line holding a
    // NUL is still a bad address, never a connection to its first part.
    LoopbackServer server(Loopback(36), SCREEN_PORT);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("guasta.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("127.0.0.36\n");
    file.write(QByteArray("127.0.0.36\0junk\n", 16));
    for (int i = 0; i < 14; ++i)
        file.write("192.168.1\n");
    file.close();

    m_app->OpenChannelList(path);
    // The good line opens; fifteen refused lines follow: ten shown, one
    // message for the other five.
    QStringList expected;
    for (int i = 0; i < 10; ++i)
        expected << QStringLiteral("Fallita connessione a host KPROT");
    expected << QStringLiteral("Rifiutate altre 5 righe dell'elenco canali");
    QCOMPARE(m_messages->texts(), expected);
    QCOMPARE(m_app->ScreenWindows().size(), 1);
    QVERIFY(server.waitForClient());
}

void TestScreenWindows::quotedCommandLineFailsWithTheQuotedText()
{
    m_app->GetMainFrame()->close();
    delete m_app;
    m_app = new CBrenlowApp;
    const QString quoted = QStringLiteral("\"/tmp/no such dir/canali.txt\"");
    QVERIFY(m_app->InitInstance(quoted));
    QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("Errore apertura file ") + quoted});
    QCOMPARE(m_messages->entries.first().icon, MessageIcon::Error);
    QVERIFY(m_app->ScreenWindows().isEmpty());
}

void TestScreenWindows::refreshRequestAndStatusTexts()
{
    LoopbackServer server(Loopback(30), SCREEN_PORT);
    CChildFrame *frame = open(QStringLiteral("127.0.0.30"));
    QVERIFY(frame && server.waitForClient());

    frame->GetView()->OnAggiorna();
    QVERIFY(server.waitForReceived(2));
    QCOMPARE(server.received(), QByteArray("\x10\x65", 2));

    server.send(RawLine(240, 0));
    QTRY_COMPARE(frame->StatusText(), QStringLiteral("ERRORE linea: 240"));
    server.send(QByteArray(1, char(9)));
    QTRY_COMPARE(frame->StatusText(), QStringLiteral("ERRORE blocco ricevuto"));
    server.send(Band(3, 0));
    QTRY_COMPARE(frame->StatusText(), QStringLiteral("blocco linea: 3"));
}

void TestScreenWindows::closingTheWindowClosesItsChannel()
{
    LoopbackServer server(Loopback(31), SCREEN_PORT);
    CChildFrame *frame = open(QStringLiteral("127.0.0.31"));
    QVERIFY(frame && server.waitForClient());
    QPointer<CChildFrame> guard(frame);
    frame->close();
    QTRY_VERIFY(guard.isNull());
    QTRY_VERIFY(server.client()->state() != QAbstractSocket::ConnectedState);
    QTRY_VERIFY(m_app->ScreenWindows().isEmpty());
    QVERIFY(m_messages->entries.isEmpty());
}

void TestScreenWindows::statusPaneShowsTheLastTextOfABurst()
{
    LoopbackServer server(Loopback(32), SCREEN_PORT);
    CChildFrame *frame = open(QStringLiteral("127.0.0.32"));
    QVERIFY(frame && server.waitForClient());
    server.send(RawLine(0, 0));
    QTRY_VERIFY_WITH_TIMEOUT(frame->isVisible(), 3000);
    StatusPane *pane = frame->GetStatusPane();
    QTRY_COMPARE(pane->PaintedText(), QStringLiteral("blocco linea: 0"));

    // A whole colour panel in one burst: 240 texts, the last one shows, and
    // the pane is drawn at most once a read, far less than once a block.
    int paintsBefore = pane->PaintCount();
    const QSize sizeBefore = pane->size();
    QByteArray burst;
    for (int line = 0; line < 240; ++line)
        burst += RawLine(line, quint8(line));
    server.send(burst);
    QTRY_COMPARE(frame->StatusText(), QStringLiteral("blocco linea: 239"));
    QTRY_COMPARE(pane->PaintedText(), QStringLiteral("blocco linea: 239"));
    QVERIFY2(pane->PaintCount() - paintsBefore < 60,
             qPrintable(QStringLiteral("%1 paints").arg(pane->PaintCount() - paintsBefore)));
    QCOMPARE(pane->size(), sizeBefore);

    // Texts set between two turns of the event loop are drawn once.
    paintsBefore = pane->PaintCount();
    for (int line = 0; line < 240; ++line)
        frame->SetStatusText(QStringLiteral("blocco linea: %1").arg(line));
    QTRY_COMPARE(pane->PaintedText(), QStringLiteral("blocco linea: 239"));
    QTest::qWait(50);
    QCOMPARE(pane->PaintCount() - paintsBefore, 1);

    // The same text again asks for no paint; a new one does.
    const int paintsAfter = pane->PaintCount();
    frame->SetStatusText(QStringLiteral("blocco linea: 239"));
    QTest::qWait(50);
    QCOMPARE(pane->PaintCount(), paintsAfter);
    server.send(RawLine(240, 0));
    QTRY_COMPARE(pane->PaintedText(), QStringLiteral("ERRORE linea: 240"));
    QVERIFY(m_messages->entries.isEmpty());
}

void TestScreenWindows::staticPanelsLeaveTheConsoleAsleep()
{
    // Three screen windows whose panels have stopped changing, no keypad:
    // nothing in the console may tick until the next bytes arrive.
    LoopbackServer first(Loopback(33), SCREEN_PORT);
    LoopbackServer second(Loopback(34), SCREEN_PORT);
    LoopbackServer third(Loopback(35), SCREEN_PORT);
    QList<CChildFrame *> frames;
    for (LoopbackServer *server : {&first, &second, &third}) {
        CChildFrame *frame = open(server->host());
        QVERIFY(frame && server->waitForClient());
        server->send(RawLine(5, 0x1C));
        frames << frame;
    }
    for (CChildFrame *frame : qAsConst(frames))
        QTRY_VERIFY_WITH_TIMEOUT(frame->isVisible(), 3000);
    m_app->GetMainFrame()->MdiArea()->setActiveSubWindow(frames.last());
    QTRY_VERIFY(!m_app->GetMainFrame()->IsRefreshTimerActive());
    QVERIFY(!m_app->KeyboardsExist());
    QTest::qWait(100);

    QTimer deadline;
    deadline.setSingleShot(true);
    TimerEventCounter counter(&deadline);
    QEventLoop loop;
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(1500);
    loop.exec();
    QVERIFY2(counter.receivers.isEmpty(), qPrintable(counter.receivers.join(QStringLiteral(", "))));

    // Bytes are a reason: one block arms the refresh timer once.
    TimerEventCounter afterBytes(nullptr);
    second.send(RawLine(6, 0x03));
    QTRY_COMPARE_WITH_TIMEOUT(frames[1]->GetView()->TimedRepaintCount(), 2, 3000);
    QTRY_VERIFY(!m_app->GetMainFrame()->IsRefreshTimerActive());
    QVERIFY(!afterBytes.receivers.isEmpty());
    QVERIFY(m_messages->entries.isEmpty());
}

QTEST_MAIN(TestScreenWindows)
#include "tst_screen_windows.moc"
