// Prints the decoding throughput of each screen block format beside a plain
// memory copy of the same bytes, and the cost of one timed repaint of a
// colour and of a monochrome screen window.
#include "BrenlowView.h"
#include "ChildFrame.h"
#include "PanelPicture.h"
#include "ScreenBlockParser.h"
#include "ScreenBlocks.h"
#include "ScreenImage.h"
#include "ScreenViewHost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QRandomGenerator>
#include <QTextStream>

#include <cstring>
#include <vector>

using namespace ScreenBlocks;

namespace {

QTextStream out(stdout);

// A stream of one full panel per format, repeated, with varied pixels.
QByteArray FullPanels(int format, int panels)
{
    QRandomGenerator random(7);
    QByteArray stream;
    for (int p = 0; p < panels; ++p) {
        if (format == 0) {
            for (int band = 0; band < 17; ++band) {
                QByteArray block;
                block.append(char(0)).append(char(band));
                for (int j = 0; j < 240; ++j)
                    block.append(char(random.bounded(256)));
                stream += block;
            }
        } else if (format == 1) {
            for (int line = 0; line < 240; ++line) {
                QByteArray pixels(320, Qt::Uninitialized);
                for (int x = 0; x < 320; ++x)
                    pixels[x] = char(random.bounded(256));
                stream += RawLine(line, pixels);
            }
        } else {
            // Typical panel lines: long runs of background with short detail.
            for (int line = 0; line < 240; ++line) {
                QByteArray runs;
                int columns = 0;
                while (columns < 320) {
                    const int count = qMin(1 + random.bounded(20), (320 - columns) / 2);
                    runs.append(char(count)).append(char(random.bounded(256))).append(char(random.bounded(256)));
                    columns += 2 * count;
                }
                stream += RunLengthLine(line, runs);
            }
        }
    }
    return stream;
}

double MegabytesPerSecond(qint64 bytes, qint64 nanoseconds)
{
    return double(bytes) / (1024.0 * 1024.0) / (double(nanoseconds) / 1e9);
}

void MeasureDecode(const char *name, int format)
{
    const QByteArray stream = FullPanels(format, 200);
    ScreenImage image;
    ScreenBlockParser parser;

    QElapsedTimer timer;
    const int rounds = 5;
    qint64 best = std::numeric_limits<qint64>::max();
    for (int r = 0; r < rounds; ++r) {
        QByteArray buffer = stream;
        timer.start();
        // Fed in reads of 2048 bytes, as the channel hands them over.
        QByteArray pending;
        for (int i = 0; i < buffer.size(); i += 2048) {
            pending.append(buffer.constData() + i, qMin(2048, buffer.size() - i));
            parser.Parse(pending, image);
        }
        best = qMin(best, timer.nsecsElapsed());
    }

    std::vector<char> target(std::size_t(stream.size()));
    qint64 copyBest = std::numeric_limits<qint64>::max();
    for (int r = 0; r < rounds; ++r) {
        timer.start();
        for (int i = 0; i < stream.size(); i += 2048)
            std::memcpy(target.data() + i, stream.constData() + i, std::size_t(qMin(2048, stream.size() - i)));
        copyBest = qMin(copyBest, timer.nsecsElapsed());
    }
    volatile char sink = target[target.size() / 2];
    (void)sink;

    const double decode = MegabytesPerSecond(stream.size(), best);
    const double copy = MegabytesPerSecond(stream.size(), copyBest);
    out << QStringLiteral("decode %1: %2 MB/s, memcpy %3 MB/s, ratio %4\n")
               .arg(QLatin1String(name), -22)
               .arg(decode, 0, 'f', 1)
               .arg(copy, 0, 'f', 1)
               .arg(decode / copy, 0, 'f', 3);
}

void MeasureRepaint(QMdiArea &area, const char *name, const QByteArray &panel)
{
    ScreenViewHost host; // asks nothing: the panel is fed here
    CChildFrame *frame = new CChildFrame(QString(), &host);
    area.addSubWindow(frame);
    frame->hide();
    CBrenlowView *view = frame->GetView();
    ScreenBlockParser parser;
    ScreenImage &image = const_cast<ScreenImage &>(view->GetImage());

    QByteArray buffer = panel;
    parser.Parse(buffer, image);
    view->Repaint(); // sizes and shows the window
    QApplication::processEvents();

    const int rounds = 500;
    QElapsedTimer timer;
    qint64 total = 0;
    qint64 worst = 0;
    for (int r = 0; r < rounds; ++r) {
        // Every row changed since the last repaint: the worst case.
        QByteArray again = panel;
        parser.Parse(again, image);
        timer.start();
        view->Repaint();
        const qint64 ns = timer.nsecsElapsed();
        total += ns;
        worst = qMax(worst, ns);
    }
    out << QStringLiteral("timed repaint %1: mean %2 us, worst %3 us (whole panel changed)\n")
               .arg(QLatin1String(name), -10)
               .arg(double(total) / rounds / 1000.0, 0, 'f', 1)
               .arg(double(worst) / 1000.0, 0, 'f', 1);
    delete frame;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);

    MeasureDecode("monochrome bands", 0);
    MeasureDecode("raw colour lines", 1);
    MeasureDecode("run-length colour lines", 2);

    // The screen windows' place in the console.
    QMdiArea area;
    area.resize(1100, 820);
    area.show();
    MeasureRepaint(area, "colour", FullPanels(1, 1));
    MeasureRepaint(area, "monochrome", FullPanels(0, 1));
    out.flush();
    return 0;
}
