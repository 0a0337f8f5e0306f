#pragma once

#include <QImage>
#include <QString>

class PanelPicture;

// The panel as a picture file: the part of the console's panel picture that
// shows (240 x 128 monochrome or 320 x 240 colour), in exactly the colours
// the screen window paints, optionally enlarged.
namespace PanelSnapshot {

constexpr int kMinScale = 1;
constexpr int kMaxScale = 8;

// The shown panel at native size, each pixel an N x N square; a null image
// before the first block (nothing is shown yet) or for a scale out of range.
QImage PanelImage(const PanelPicture &picture, int scale = 1);

// Writes the picture as a PNG. The file appears only when it is complete:
// on failure nothing is left at path and error says why.
bool WritePng(const QImage &image, const QString &path, QString *error);

// The picture as PNG file contents (empty for a null image).
QByteArray PngBytes(const QImage &image);

} // namespace PanelSnapshot
