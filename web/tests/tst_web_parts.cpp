// The daemon's parts that need no network: the waits between attempts,
// the request reader and its limits, and the panel messages, which must
// carry exactly the picture the console paints.
#include "HttpRequestParser.h"
#include "LinkState.h"
#include "PanelMessages.h"
#include "PanelPicture.h"
#include "PanelSnapshot.h"
#include "ScreenBlockParser.h"
#include "ScreenBlocks.h"
#include "ScreenImage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

namespace {

// What a browser does with the messages: a picture of palette colours,
// updated unit by unit.
struct BrowserModel
{
    QVector<QRgb> palette;
    QImage picture;

    void Palette(const QByteArray &json)
    {
        const QJsonObject message = QJsonDocument::fromJson(json).object();
        palette.clear();
        for (const QJsonValue &colour : message.value(QStringLiteral("colours")).toArray())
            palette << (0xFF000000u | quint32(colour.toInt()));
        picture = QImage(message.value(QStringLiteral("width")).toInt(), message.value(QStringLiteral("height")).toInt(),
                         QImage::Format_RGB32);
        picture.fill(Qt::magenta);
    }

    void Apply(const QByteArray &message)
    {
        const auto *bytes = reinterpret_cast<const uchar *>(message.constData());
        const int count = qFromLittleEndian<quint16>(bytes + 5);
        const int perUnit = bytes[3] == 1 ? picture.width() * 8 : picture.width();
        int offset = PanelMessages::kHeaderBytes;
        for (int u = 0; u < count; ++u) {
            const int first = bytes[offset++] * perUnit;
            for (int i = 0; i < perUnit; ++i) {
                const int pixel = first + i;
                picture.setPixel(pixel % picture.width(), pixel / picture.width(), palette.value(bytes[offset + i]));
            }
            offset += perUnit;
        }
        QCOMPARE(offset, message.size());
    }
};

QByteArray RandomBlock(const QString &format, int number, QRandomGenerator &random)
{
    QByteArray pixels(format == QLatin1String("mono") ? 240 : 320, Qt::Uninitialized);
    for (char &pixel : pixels)
        pixel = char(random.bounded(256));
    if (format == QLatin1String("mono"))
        return QByteArray(1, '\0') + char(number) + pixels.left(240);
    if (format == QLatin1String("raw"))
        return ScreenBlocks::RawLine(number, pixels);
    QByteArray runs;
    for (int x = 0; x < 320; x += 2)
        runs.append(char(1)).append(pixels.at(x)).append(pixels.at(x + 1));
    return ScreenBlocks::RunLengthLine(number, runs);
}

} // namespace

class WebPartsTest : public QObject
{
    Q_OBJECT

private slots:
    void backoffDoublesWithSpreadAndResets();
    void requests_data();
    void requests();
    void pipelinedRequests();
    void panelMessagesCarryTheConsolePicture_data();
    void panelMessagesCarryTheConsolePicture();
};

void WebPartsTest::backoffDoublesWithSpreadAndResets()
{
    QRandomGenerator random(7);
    ReconnectBackoff backoff(&random);
    QSet<int> firstWaits;
    for (int round = 0; round < 50; ++round) {
        int base = ReconnectBackoff::kFirstMs;
        for (int attempt = 0; attempt < 8; ++attempt) {
            const int wait = backoff.NextWaitMs();
            QVERIFY2(wait >= base * 8 / 10 && wait <= base * 12 / 10,
                     qPrintable(QStringLiteral("attempt %1: %2 ms for %3").arg(attempt).arg(wait).arg(base)));
            if (attempt == 0)
                firstWaits << wait;
            base = std::min(base * 2, ReconnectBackoff::kLongestMs);
        }
        backoff.Reset();
        const int offset = backoff.StartOffsetMs();
        QVERIFY(offset >= 0 && offset <= ReconnectBackoff::kStartOffsetMs);
    }
    // The spread is real: controllers restarted together do not retry in step.
    QVERIFY(firstWaits.size() > 10);
}

void WebPartsTest::requests_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status"); // 0: a request, -1: not complete yet
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("since");
    QTest::addColumn<bool>("keepAlive");
    QTest::addColumn<bool>("upgrade");

    QTest::newRow("get") << QByteArray("GET /api/events?since=42 HTTP/1.1\r\nHost: a\r\n\r\n") << 0
                         << QByteArray("/api/events") << QByteArray("42") << true << false;
    QTest::newRow("percent-encoded, HTTP/1.0")
        << QByteArray("HEAD /snapshot/127.0.0.1%2Epng HTTP/1.0\r\n\r\n") << 0 << QByteArray("/snapshot/127.0.0.1.png")
        << QByteArray() << false << false;
    QTest::newRow("upgrade") << QByteArray("GET /ws HTTP/1.1\r\nHost: a\r\nConnection: Upgrade\r\n"
                                           "Upgrade: websocket\r\n\r\n")
                             << 0 << QByteArray("/ws") << QByteArray() << true << true;
    QTest::newRow("not complete") << QByteArray("GET / HTTP/1.1\r\nHost: a\r\n") << -1 << QByteArray() << QByteArray()
                                  << false << false;
    QTest::newRow("post") << QByteArray("POST / HTTP/1.1\r\nContent-Length: 2\r\n\r\nab") << 405 << QByteArray()
                          << QByteArray() << false << false;
    QTest::newRow("garbage") << QByteArray("\x16\x03\x01\x00\xa5\x01\x00\x00\xa1\x03\x03", 11) << 400 << QByteArray()
                             << QByteArray() << false << false;
    QTest::newRow("headers over 8 KiB")
        << QByteArray("GET / HTTP/1.1\r\nX: " + QByteArray(8200, 'a') + "\r\n\r\n") << 431 << QByteArray()
        << QByteArray() << false << false;
    QTest::newRow("endless request line") << QByteArray("GET /" + QByteArray(20000, 'a')) << 431 << QByteArray()
                                          << QByteArray() << false << false;
    QTest::newRow("body over 16 KiB")
        << QByteArray("GET / HTTP/1.1\r\nContent-Length: 20000\r\n\r\n" + QByteArray(20000, 'b')) << 413
        << QByteArray() << QByteArray() << false << false;
}

void WebPartsTest::requests()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    // The same answer whether the request comes whole or a byte at a time.
    for (const int piece : {bytes.size(), 1}) {
        HttpRequestParser parser;
        auto outcome = HttpRequestParser::Outcome::NeedMore;
        for (int at = 0; at < bytes.size() && outcome == HttpRequestParser::Outcome::NeedMore;) {
            int taken = 0;
            const int length = std::min(piece, int(bytes.size()) - at);
            outcome = parser.Feed(bytes.constData() + at, length, &taken);
            QVERIFY(taken >= 0 && taken <= length);
            if (outcome == HttpRequestParser::Outcome::NeedMore)
                QCOMPARE(taken, length);
            at += taken;
        }
        if (status == -1) {
            QCOMPARE(outcome, HttpRequestParser::Outcome::NeedMore);
        } else if (status > 0) {
            QCOMPARE(outcome, HttpRequestParser::Outcome::Failed);
            QCOMPARE(parser.FailureStatus(), status);
        } else {
            QCOMPARE(outcome, HttpRequestParser::Outcome::Request);
            const HttpRequest &request = parser.Request();
            QTEST(request.path, "path");
            QTEST(request.QueryValue("since"), "since");
            QTEST(request.keepAlive, "keepAlive");
            QTEST(request.upgrade, "upgrade");
        }
    }
}

void WebPartsTest::pipelinedRequests()
{
    const QByteArray first = "GET /metrics HTTP/1.1\r\nHost: a\r\n\r\n";
    const QByteArray second = "GET /api/controllers HTTP/1.1\r\nHost: a\r\n\r\n";
    const QByteArray both = first + second;
    HttpRequestParser parser;
    int taken = 0;
    QCOMPARE(parser.Feed(both.constData(), both.size(), &taken), HttpRequestParser::Outcome::Request);
    QCOMPARE(taken, first.size());
    QCOMPARE(parser.Request().path, QByteArray("/metrics"));
    parser.Next();
    QCOMPARE(parser.Feed(both.constData() + taken, both.size() - taken, &taken), HttpRequestParser::Outcome::Request);
    QCOMPARE(taken, second.size());
    QCOMPARE(parser.Request().path, QByteArray("/api/controllers"));
}

void WebPartsTest::panelMessagesCarryTheConsolePicture_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("mono") << QStringLiteral("mono");
    QTest::newRow("raw") << QStringLiteral("raw");
    QTest::newRow("rle") << QStringLiteral("rle");
}

void WebPartsTest::panelMessagesCarryTheConsolePicture()
{
    QFETCH(QString, format);
    QRandomGenerator random(11);
    const bool mono = format == QLatin1String("mono");
    const int units = mono ? 16 : 240;
    ScreenImage image;
    ScreenBlockParser parser;
    PanelPicture picture;
    BrowserModel browser;

    // A whole panel, then rounds of a few changed units sent alone: after
    // each, the browser's picture is the console's, pixel for pixel, and
    // the message costs little more than the changed pixels themselves.
    for (int round = 0; round < 6; ++round) {
        PanelUnits::UnitSet changed;
        QByteArray stream;
        const int count = round == 0 ? units : 1 + int(random.bounded(5));
        for (int i = 0; i < count; ++i) {
            const int unit = round == 0 ? i : int(random.bounded(units));
            changed.set(std::size_t(unit));
            stream += RandomBlock(format, unit, random);
        }
        QVERIFY(parser.Parse(stream, image));
        QVERIFY(stream.isEmpty());
        picture.Update(image);
        if (round == 0)
            browser.Palette(PanelMessages::PaletteJson(0, PanelUnits::FamilyOf(image.DisplayMode())));
        const QByteArray message = PanelMessages::Encode(3, image, changed, round == 0);
        QCOMPARE(qFromLittleEndian<quint16>(reinterpret_cast<const uchar *>(message.constData()) + 1), quint16(3));
        browser.Apply(message);
        QCOMPARE(browser.picture, PanelSnapshot::PanelImage(picture));
        const int indices = int(changed.count()) * PanelUnits::UnitIndexCount(PanelUnits::FamilyOf(image.DisplayMode()));
        QVERIFY(message.size() <= indices * 12 / 10);
    }
    QVERIFY(PanelMessages::Encode(0, image, {}, false).isEmpty());
}

QTEST_APPLESS_MAIN(WebPartsTest)
#include "tst_web_parts.moc"
