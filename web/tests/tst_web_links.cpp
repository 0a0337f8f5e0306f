// The daemon's links to controllers and its sessions with browsers, against
// controller stand-ins on loopback addresses of their own: how each way a
// controller ends a connection shows, how the waits between attempts grow
// and shrink, that nothing but the refresh request goes to a controller,
// and that a browser that stops reading does not make the daemon hoard.
#include "Floor.h"
#include "PanelSession.h"
#include "ScreenBlocks.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>
#include <QWebSocketServer>
#include <QtTest>

#include <sys/socket.h>

namespace {

enum class Peer { WholeThenClose, CloseAtOnce, WholeThenReset, InvalidKind, WholeThenQuiet, Flood };

QByteArray WholeMonoPanel(quint8 fill)
{
    QByteArray panel;
    for (int band = 0; band < 16; ++band)
        panel += ScreenBlocks::Band(band, fill);
    return panel;
}

// A controller's screen service that behaves as told on every connection
// and keeps what each connection received.
class ControllerStandIn : public QObject
{
public:
    ControllerStandIn(const QString &address, Peer behaviour, quint16 port = 0)
        : m_behaviour(behaviour)
    {
        QVERIFY(m_server.listen(QHostAddress(address), port));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                Serve(socket);
        });
        connect(&m_flood, &QTimer::timeout, this, [this] {
            ++m_fill;
            for (QTcpSocket *socket : qAsConst(m_open)) {
                QByteArray lines;
                for (int line = 0; line < 240; ++line)
                    lines += ScreenBlocks::RawLine(line, m_fill);
                socket->write(lines);
            }
        });
    }

    quint16 Port() const { return m_server.serverPort(); }
    void SetBehaviour(Peer behaviour) { m_behaviour = behaviour; }
    QList<qint64> acceptedMs;
    QList<QByteArray> received;

private:
    void Serve(QTcpSocket *socket)
    {
        acceptedMs << m_clock.elapsed();
        const int connection = received.size();
        received << QByteArray();
        connect(socket, &QTcpSocket::readyRead, this,
                [this, socket, connection] { received[connection] += socket->readAll(); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        switch (m_behaviour) {
        case Peer::CloseAtOnce:
            socket->disconnectFromHost();
            return;
        case Peer::InvalidKind:
            socket->write(ScreenBlocks::Band(0, 0x55) + QByteArray(1, char(9)));
            return;
        case Peer::Flood:
            m_open << socket;
            m_flood.start(100);
            return;
        default:
            break;
        }
        socket->write(WholeMonoPanel(0xA5));
        socket->flush();
        if (m_behaviour == Peer::WholeThenClose)
            QTimer::singleShot(100, socket, [socket] { socket->disconnectFromHost(); });
        if (m_behaviour == Peer::WholeThenReset) {
            QTimer::singleShot(100, socket, [socket] {
                // An abortive close: the controller's side answers with RST.
                const linger abortive{1, 0};
                ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
                socket->close();
            });
        }
    }

    QTcpServer m_server;
    QTimer m_flood;
    QList<QTcpSocket *> m_open;
    Peer m_behaviour;
    QElapsedTimer m_clock = [] { QElapsedTimer t; t.start(); return t; }();
    quint8 m_fill = 0;
};

// Records the floor's events.
class EventRecorder : public FloorWatcher
{
public:
    QList<EventLog::Event> events;
    void OnStateEvent(int, const EventLog::Event &event) override { events << event; }
    void OnStateTexts(const QList<int> &) override {}
    void OnPanelChanged(int, const PanelUnits::UnitSet &, bool) override {}
};

} // namespace

class WebLinksTest : public QObject
{
    Q_OBJECT

private slots:
    void endsShowAsTheirStates_data();
    void endsShowAsTheirStates();
    void waitsGrowUntilAWholePanelArrives();
    void slowBrowserGetsAWholePanelInsteadOfABacklog();
};

void WebLinksTest::endsShowAsTheirStates_data()
{
    QTest::addColumn<int>("behaviour");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("reason");
    QTest::newRow("orderly close") << int(Peer::WholeThenClose) << QStringLiteral("closed")
                                   << QStringLiteral("Connessione chiusa dal controllore");
    QTest::newRow("reset") << int(Peer::WholeThenReset) << QStringLiteral("error")
                           << QStringLiteral("Connessione interrotta dal controllore");
    QTest::newRow("invalid stream") << int(Peer::InvalidKind) << QStringLiteral("error")
                                    << QStringLiteral("Flusso non valido");
    QTest::newRow("refused") << -1 << QStringLiteral("unreachable") << QStringLiteral("Connessione rifiutata");
    QTest::newRow("quiet") << int(Peer::WholeThenQuiet) << QStringLiteral("silent")
                           << QStringLiteral("Nessun blocco da 5 s");
}

void WebLinksTest::endsShowAsTheirStates()
{
    QFETCH(int, behaviour);
    QFETCH(QString, state);
    QFETCH(QString, reason);
    std::unique_ptr<ControllerStandIn> controller;
    quint16 port = 1; // nothing listens there: refused
    if (behaviour >= 0) {
        controller = std::make_unique<ControllerStandIn>(QStringLiteral("127.0.20.5"), Peer(behaviour));
        port = controller->Port();
    }
    Floor floor({QStringLiteral("127.0.20.5")}, port);
    floor.Events().SetEchoToStandardError(false);
    EventRecorder recorder;
    floor.AddWatcher(&recorder);
    floor.Start();

    const auto reached = [&] {
        for (const auto &event : recorder.events)
            if (StateName(event.to) == state)
                return true;
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(reached(), 15000);
    const auto &event = *std::find_if(recorder.events.begin(), recorder.events.end(),
                                      [&](const EventLog::Event &e) { return StateName(e.to) == state; });
    QCOMPARE(event.reason, reason);
    QCOMPARE(event.address, QStringLiteral("127.0.20.5"));
    const ControllerLink &link = floor.Link(0);
    if (state == QLatin1String("silent")) {
        QCOMPARE(link.StateTextAt(SteadyMs()).left(13), QStringLiteral("nessun dato d"));
        QVERIFY(link.HasWholePanel());
        return;
    }
    // Every end is followed by a wait, and the last picture stays.
    QTRY_COMPARE_WITH_TIMEOUT(StateName(link.State()), QStringLiteral("reconnecting"), 2000);
    QVERIFY(link.StateTextAt(SteadyMs()).startsWith(QStringLiteral("nuovo tentativo tra ")));
    QCOMPARE(link.HasWholePanel(), behaviour == int(Peer::WholeThenClose) || behaviour == int(Peer::WholeThenReset));
    QCOMPARE(floor.Events().After(0).size(), recorder.events.size());
    floor.RemoveWatcher(&recorder);
}

void WebLinksTest::waitsGrowUntilAWholePanelArrives()
{
    ControllerStandIn controller(QStringLiteral("127.0.20.6"), Peer::WholeThenClose);
    Floor floor({QStringLiteral("127.0.20.6")}, controller.Port());
    floor.Events().SetEchoToStandardError(false);
    floor.Start();

    // Each connection brings a whole panel: the wait stays about 1 s.
    QTRY_VERIFY_WITH_TIMEOUT(controller.acceptedMs.size() >= 4, 15000);
    controller.SetBehaviour(Peer::CloseAtOnce);
    const int whole = controller.acceptedMs.size();
    // Accepted and closed at once: 1 s (the last whole panel reset it), 2 s, 4 s.
    QTRY_VERIFY_WITH_TIMEOUT(controller.acceptedMs.size() >= whole + 3, 20000);
    const auto gap = [&](int i) { return controller.acceptedMs[i] - controller.acceptedMs[i - 1]; };
    // (Without the reset the third would be 4 s; the bound leaves room for
    // a loaded machine's late timers.)
    for (int i = 2; i < whole; ++i)
        QVERIFY2(gap(i) < 1800, qPrintable(QString::number(gap(i))));
    const qint64 expected[] = {1000, 2000, 4000};
    for (int i = 0; i < 3; ++i) {
        const qint64 seen = gap(whole + i);
        QVERIFY2(seen >= expected[i] * 8 / 10 && seen <= expected[i] * 12 / 10 + 1500,
                 qPrintable(QStringLiteral("wait %1: %2 ms").arg(i).arg(seen)));
    }
    // The daemon is read-only: every connection carried the refresh request
    // and nothing else (those closed at once may not have read it).
    for (int i = 0; i < controller.received.size(); ++i) {
        const QByteArray &bytes = controller.received[i];
        QVERIFY(i < whole ? bytes == "\x10\x65" : QByteArray("\x10\x65").startsWith(bytes));
    }
    QCOMPARE(floor.Link(0).Reconnects(), quint64(controller.acceptedMs.size() - 1));
}

void WebLinksTest::slowBrowserGetsAWholePanelInsteadOfABacklog()
{
    // Flooding controllers, one browser that subscribes and then reads
    // nothing: what waits for it stays bounded; once it reads again it is
    // sent whole panels.
    QStringList addresses;
    std::vector<std::unique_ptr<ControllerStandIn>> controllers;
    for (int i = 0; i < 4; ++i)
        addresses << QStringLiteral("127.0.20.%1").arg(11 + i);
    // One port for all: the stand-ins listen on their own addresses.
    controllers.push_back(std::make_unique<ControllerStandIn>(addresses[0], Peer::Flood));
    const quint16 port = controllers[0]->Port();
    for (int i = 1; i < 4; ++i) {
        controllers.push_back(std::make_unique<ControllerStandIn>(addresses[i], Peer::Flood, port));
        QCOMPARE(controllers.back()->Port(), port);
    }
    Floor floor(addresses, port);
    floor.Events().SetEchoToStandardError(false);
    floor.Start();

    QWebSocketServer server(QStringLiteral("test"), QWebSocketServer::NonSecureMode);
    QVERIFY(server.listen(QHostAddress(QStringLiteral("127.0.20.1"))));
    PanelSession *session = nullptr;
    connect(&server, &QWebSocketServer::newConnection, this,
            [&] { session = new PanelSession(server.nextPendingConnection(), floor, &server); });

    // A browser of plain socket calls, so that it can stop reading: its
    // handshake, its subscription (a masked frame), then the server's frames.
    QTcpSocket browser;
    browser.connectToHost(QHostAddress(QStringLiteral("127.0.20.1")), server.serverPort());
    QVERIFY(browser.waitForConnected(5000));
    browser.write("GET / HTTP/1.1\r\nHost: 127.0.20.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                  "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
    const QByteArray subscribe = "{\"type\":\"subscribe\",\"all\":true}";
    browser.write(QByteArray("\x81") + char(0x80 | subscribe.size()) + QByteArray(4, '\0') + subscribe);
    QByteArray incoming;
    int wholeMessages = 0;
    const auto readFrames = [&] {
        incoming += browser.readAll();
        if (incoming.startsWith("HTTP/1.1 ")) {
            const int end = incoming.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            incoming.remove(0, end + 4);
        }
        while (incoming.size() >= 2) {
            const auto *bytes = reinterpret_cast<const uchar *>(incoming.constData());
            qint64 length = bytes[1] & 0x7F;
            int header = 2;
            if (length == 126 && incoming.size() >= 4) {
                length = qFromBigEndian<quint16>(bytes + 2);
                header = 4;
            } else if (length == 127 && incoming.size() >= 10) {
                length = qint64(qFromBigEndian<quint64>(bytes + 2));
                header = 10;
            } else if (length >= 126) {
                return;
            }
            if (incoming.size() < header + length)
                return;
            if ((bytes[0] & 0x0F) == 2 && length > 4 && (bytes[header + 4] & 1))
                ++wholeMessages;
            incoming.remove(0, int(header + length));
        }
    };
    connect(&browser, &QTcpSocket::readyRead, this, readFrames);
    QTRY_VERIFY_WITH_TIMEOUT(session && wholeMessages >= 4, 10000);

    // The browser stops reading: its kernel buffers fill, then the daemon's.
    browser.setReadBufferSize(1);
    qint64 most = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 15000 && most <= PanelSession::kBehindBytes) {
        QTest::qWait(50);
        most = std::max(most, session->UnsentBytes());
    }
    QTest::qWait(1000);
    most = std::max(most, session->UnsentBytes());
    constexpr qint64 kWholeColourMessage = 7 + 240 * 321 + 10;
    QVERIFY2(most > PanelSession::kBehindBytes, "the browser never fell behind: the test proves nothing");
    QVERIFY2(most <= PanelSession::kBehindBytes + 4 * kWholeColourMessage + 65536, qPrintable(QString::number(most)));

    const int before = wholeMessages;
    browser.setReadBufferSize(0);
    readFrames();
    QTRY_VERIFY_WITH_TIMEOUT(wholeMessages >= before + 4, 20000);
}

QTEST_MAIN(WebLinksTest)
#include "tst_web_links.moc"
