#include "OverviewTiles.h"

#include <QtGlobal>

#include <chrono>

namespace OverviewTiles {

namespace {

constexpr int kBorder = 3;  // the state colour around a tile
constexpr int kSpacing = 6; // between tiles

int PanelBoxHeight(int tileWidth)
{
    return (tileWidth - 2 * (kBorder + kSpacing)) * 3 / 4;
}

} // namespace

QString LinkStatus::Text() const
{
    switch (state) {
    case LinkState::Online:
        return QStringLiteral("in linea");
    case LinkState::Silent:
        return QStringLiteral("nessun dato da %1 s").arg(silentSeconds);
    case LinkState::Closed:
        return QStringLiteral("chiuso");
    case LinkState::NotConnected:
        break;
    }
    return QStringLiteral("non collegato");
}

QColor LinkStatus::BorderColour() const
{
    switch (state) {
    case LinkState::Online:
        return QColor(0x2e, 0xa0, 0x43); // green
    case LinkState::Silent:
        return QColor(0xe0, 0x9a, 0x00); // amber
    case LinkState::Closed:
        return QColor(0xc8, 0x1e, 0x1e); // red
    case LinkState::NotConnected:
        break;
    }
    return QColor(0x80, 0x80, 0x80); // grey
}

LinkStatus StatusOf(const LinkFacts &facts)
{
    LinkStatus status;
    // What the controller did outweighs the channel's own state: a reset
    // that left the channel closed is still the controller's doing.
    if (facts.peerGone) {
        status.state = LinkState::Closed;
        return status;
    }
    if (!facts.channelOpen)
        return status;
    // Whole seconds, so the text counts up once a second.
    const qint64 seconds = qMax<qint64>(0, facts.silentMs) / 1000;
    if (seconds <= kOnlineSeconds) {
        status.state = LinkState::Online;
        return status;
    }
    status.state = LinkState::Silent;
    status.silentSeconds = int(qMin<qint64>(seconds, 999999999));
    return status;
}

qint64 ClockMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QRect Grid::TileRect(int index) const
{
    if (columns <= 0 || index < 0)
        return {};
    return QRect(QPoint((index % columns) * tile.width(), (index / columns) * tile.height()), tile);
}

int Grid::TileAt(const QPoint &point, int count) const
{
    if (columns <= 0 || tile.isEmpty() || point.x() < 0 || point.y() < 0)
        return -1;
    const int column = point.x() / tile.width();
    if (column >= columns)
        return -1;
    const int index = (point.y() / tile.height()) * columns + column;
    return index < count ? index : -1;
}

Grid Flow(int count, const QSize &area, int captionHeight, int minTileWidth)
{
    constexpr int inset = 2 * (kBorder + kSpacing);
    const auto tileFor = [captionHeight](int tileWidth) {
        return QSize(tileWidth, PanelBoxHeight(tileWidth) + captionHeight + inset);
    };
    // The widest tile whose height is at most the given one.
    const auto widthFor = [captionHeight](int tileHeight) {
        return (tileHeight - captionHeight - inset) * 4 / 3 + inset;
    };

    Grid grid;
    const int width = qMax(area.width(), minTileWidth);
    if (count <= 0) {
        grid.tile = tileFor(width);
        return grid;
    }
    // Each number of columns gives tiles as wide as the width allows and as
    // high as the rows allow; the biggest tiles win.
    int best = 0;
    for (int columns = 1; columns <= count; ++columns) {
        const int rows = (count + columns - 1) / columns;
        const int tileWidth = qMin(width / columns, widthFor(area.height() / rows));
        if (tileWidth > best) {
            best = tileWidth;
            grid.columns = columns;
        }
        if (width / columns < minTileWidth)
            break;
    }
    if (best >= minTileWidth) {
        grid.tile = tileFor(best);
        return grid;
    }
    // Too many for the window: tiles of the smallest readable size fill
    // the width, and the window scrolls.
    grid.columns = qBound(1, width / minTileWidth, count);
    grid.tile = tileFor(width / grid.columns);
    return grid;
}

QRect BorderRect(const QRect &tile)
{
    const int half = kSpacing / 2;
    return tile.adjusted(half, half, -half, -half);
}

int BorderWidth()
{
    return kBorder;
}

QRect PanelBox(const QRect &tile, int captionHeight)
{
    const int inset = kBorder + kSpacing;
    return QRect(tile.left() + inset, tile.top() + inset, tile.width() - 2 * inset,
                 tile.height() - 2 * inset - captionHeight);
}

QRect FitPanel(const QSize &panel, const QRect &box, bool *whole)
{
    *whole = false;
    if (panel.isEmpty() || box.isEmpty())
        return {};
    QSize size;
    const int factor = qMin(box.width() / panel.width(), box.height() / panel.height());
    if (factor >= 1) {
        *whole = true;
        size = panel * factor;
    } else {
        size = panel.scaled(box.size(), Qt::KeepAspectRatio);
    }
    return QRect(QPoint(box.left() + (box.width() - size.width()) / 2,
                        box.top() + (box.height() - size.height()) / 2),
                 size);
}

} // namespace OverviewTiles
