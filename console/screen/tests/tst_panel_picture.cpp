// The panel picture must be pixel for pixel what setting each pixel from
// the image gives, with the controller's colour levels.
#include "PanelPicture.h"
#include "ScreenBlockParser.h"
#include "ScreenBlocks.h"
#include "ScreenImage.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace ScreenBlocks;

namespace {

// The per-pixel procedure, written out plainly as the reference.
QRgb ReferencePixel(const ScreenImage &image, int x, int y)
{
    static const int rg[8] = {0, 36, 72, 108, 144, 198, 216, 255};
    static const int bl[4] = {0, 90, 198, 255};
    if (image.DisplayMode() == ScreenImage::Monochrome) {
        const bool set = (image.Row(y)[x / 8] >> (x % 8)) & 1;
        return set ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    }
    const quint8 v = image.Row(y)[x];
    return qRgb(rg[v >> 5], rg[(v >> 2) & 7], bl[v & 3]);
}

void CompareWithReference(const ScreenImage &image, const PanelPicture &picture)
{
    const QSize size = picture.PanelSize();
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (picture.Picture().pixel(x, y) != ReferencePixel(image, x, y))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 differs").arg(x).arg(y)));
}

} // namespace

class TestPanelPicture : public QObject
{
    Q_OBJECT

private slots:
    void colourLevels_data();
    void colourLevels();
    void monochromeBitsPaintFromTheLeft();
    void nothingShowsBeforeTheFirstBlock();
    void randomStreamMatchesPerPixelPaint();
    void showsTheImageAsOfTheLastUpdateAtOneBytePerPixel();
};

void TestPanelPicture::colourLevels_data()
{
    QTest::addColumn<int>("pixel");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("0xFF white") << 0xFF << QColor(255, 255, 255);
    QTest::newRow("0xE0 red") << 0xE0 << QColor(255, 0, 0);
    QTest::newRow("0xA5 uneven ramp") << 0xA5 << QColor(198, 36, 90);
    QTest::newRow("0x00 black") << 0x00 << QColor(0, 0, 0);
    QTest::newRow("0x1C green") << 0x1C << QColor(0, 255, 0);
}

void TestPanelPicture::colourLevels()
{
    QFETCH(int, pixel);
    QFETCH(QColor, colour);
    ScreenImage image;
    QByteArray buffer = RawLine(100, quint8(pixel));
    QVERIFY(ScreenBlockParser().Parse(buffer, image));
    PanelPicture picture;
    picture.Update(image);
    QCOMPARE(picture.PanelSize(), QSize(320, 240));
    QCOMPARE(QColor(picture.Picture().pixel(0, 100)), colour);
    QCOMPARE(QColor(picture.Picture().pixel(319, 100)), colour);
}

void TestPanelPicture::monochromeBitsPaintFromTheLeft()
{
    ScreenImage image;
    QByteArray pixels(240, 0);
    pixels[0] = char(0x01);  // row 0, byte column 0
    pixels[30] = char(0x80); // row 1, byte column 0
    QByteArray buffer;
    buffer.append(char(0)).append(char(0)).append(pixels);
    QVERIFY(ScreenBlockParser().Parse(buffer, image));

    PanelPicture picture;
    picture.Update(image);
    QCOMPARE(picture.PanelSize(), QSize(240, 128));
    const QImage &p = picture.Picture();
    QCOMPARE(p.pixel(0, 0), qRgb(0, 0, 0));
    for (int x = 1; x < 8; ++x)
        QCOMPARE(p.pixel(x, 0), qRgb(255, 255, 255));
    QCOMPARE(p.pixel(7, 1), qRgb(0, 0, 0));
    for (int x = 0; x < 7; ++x)
        QCOMPARE(p.pixel(x, 1), qRgb(255, 255, 255));
}

void TestPanelPicture::nothingShowsBeforeTheFirstBlock()
{
    ScreenImage image;
    PanelPicture picture;
    picture.Update(image);
    QVERIFY(picture.PanelSize().isEmpty());
}

void TestPanelPicture::randomStreamMatchesPerPixelPaint()
{
    // Colour lines and monochrome bands in random order, with repaints in
    // between: only changed rows are converted, and a change of panel
    // format must convert everything again.
    QRandomGenerator random(4711);
    ScreenImage image;
    PanelPicture picture;
    ScreenBlockParser parser;
    for (int round = 0; round < 60; ++round) {
        QByteArray stream;
        const bool monochrome = round % 7 == 3;
        for (int i = 0; i < 20; ++i) {
            if (monochrome) {
                QByteArray block;
                block.append(char(0)).append(char(random.bounded(17)));
                for (int j = 0; j < 240; ++j)
                    block.append(char(random.bounded(256)));
                stream += block;
            } else {
                QByteArray pixels;
                for (int j = 0; j < 320; ++j)
                    pixels.append(char(random.bounded(256)));
                stream += RawLine(random.bounded(240), pixels);
            }
        }
        QVERIFY(parser.Parse(stream, image));
        picture.Update(image);
        CompareWithReference(image, picture);
    }
}

void TestPanelPicture::showsTheImageAsOfTheLastUpdateAtOneBytePerPixel()
{
    ScreenImage image;
    PanelPicture picture;
    ScreenBlockParser parser;
    QByteArray buffer = RawLine(10, 0xE0);
    QVERIFY(parser.Parse(buffer, image));
    picture.Update(image);
    // Hundreds of screen windows keep one each: no 32-bit copy of the panel.
    QVERIFY2(picture.Picture().depth() <= 8, qPrintable(QString::number(picture.Picture().depth())));
    QVERIFY(picture.Picture().sizeInBytes() <= 320 * 240);

    // Lines decoded after the update are not in the picture until the next.
    buffer = RawLine(10, 0x03) + RawLine(11, 0x1C);
    QVERIFY(parser.Parse(buffer, image));
    QCOMPARE(picture.Picture().pixel(5, 10), qRgb(255, 0, 0));
    QCOMPARE(picture.Picture().pixel(5, 11), qRgb(0, 0, 0));
    const QImage before = picture.Picture().copy();
    picture.Update(image);
    QCOMPARE(picture.Picture().pixel(5, 10), qRgb(0, 0, 255));
    QCOMPARE(picture.Picture().pixel(5, 11), qRgb(0, 255, 0));
    // A copy taken earlier keeps what it showed.
    QCOMPARE(before.pixel(5, 10), qRgb(255, 0, 0));
    CompareWithReference(image, picture);

    // To monochrome and back: the whole panel is taken again each time.
    QByteArray band = QByteArray(1, char(0)) + char(1) + QByteArray(240, char(0xFF));
    QVERIFY(parser.Parse(band, image));
    picture.Update(image);
    QCOMPARE(picture.PanelSize(), QSize(240, 128));
    CompareWithReference(image, picture);
    buffer = RawLine(0, 0x00);
    QVERIFY(parser.Parse(buffer, image));
    picture.Update(image);
    QCOMPARE(picture.PanelSize(), QSize(320, 240));
    CompareWithReference(image, picture);
}

QTEST_APPLESS_MAIN(TestPanelPicture)
#include "tst_panel_picture.moc"
