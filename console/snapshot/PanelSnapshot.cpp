#include "PanelSnapshot.h"

#include "PanelPicture.h"

#include <QBuffer>
#include <QImageWriter>
#include <algorithm>
#include <QSaveFile>

namespace PanelSnapshot {

namespace {

// Nearest neighbour by hand: every pixel becomes a square of one colour,
// whatever the scaling code of the image library would blend at the edges.
QImage Enlarge(const QImage &panel, int scale)
{
    QImage out(panel.width() * scale, panel.height() * scale, QImage::Format_RGB32);
    for (int y = 0; y < panel.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(panel.constScanLine(y));
        auto *first = reinterpret_cast<QRgb *>(out.scanLine(y * scale));
        for (int x = 0; x < panel.width(); ++x)
            std::fill(first + x * scale, first + (x + 1) * scale, in[x]);
        for (int copy = 1; copy < scale; ++copy)
            std::copy(first, first + out.width(), reinterpret_cast<QRgb *>(out.scanLine(y * scale + copy)));
    }
    return out;
}

} // namespace

QImage PanelImage(const PanelPicture &picture, int scale)
{
    const QSize size = picture.PanelSize();
    if (size.isEmpty() || scale < kMinScale || scale > kMaxScale)
        return {};
    const QImage panel = picture.Picture().copy(QRect(QPoint(0, 0), size)).convertToFormat(QImage::Format_RGB32);
    return scale == 1 ? panel : Enlarge(panel, scale);
}

bool WritePng(const QImage &image, const QString &path, QString *error)
{
    if (image.isNull()) {
        *error = QStringLiteral("no panel to write");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    QImageWriter writer(&file, "png");
    if (!writer.write(image)) {
        *error = writer.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QByteArray PngBytes(const QImage &image)
{
    QByteArray bytes;
    if (image.isNull())
        return bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        bytes.clear();
    return bytes;
}

} // namespace PanelSnapshot
