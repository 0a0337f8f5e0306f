#pragma once

#include <QColor>
#include <QRect>
#include <QSize>
#include <QString>

// The arithmetic of the floor overview, kept apart from its window: what a
// screen window's connection looks like to the operator, and where the tiles
// and their panels go.
namespace OverviewTiles {

// A controller counts as on line while its last block is at most this old.
constexpr int kOnlineSeconds = 5;

enum class LinkState { Online, Silent, Closed, NotConnected };

// What a screen window knows about its controller.
struct LinkFacts
{
    bool channelOpen = false;
    bool peerGone = false;     // the controller closed or reset the connection
    qint64 silentMs = 0;       // since the last block, or since opening without one
};

struct LinkStatus
{
    LinkState state = LinkState::NotConnected;
    int silentSeconds = 0;

    QString Text() const;
    QColor BorderColour() const;
    bool operator==(const LinkStatus &other) const
    {
        return state == other.state && silentSeconds == other.silentSeconds;
    }
    bool operator!=(const LinkStatus &other) const { return !(*this == other); }
};

LinkStatus StatusOf(const LinkFacts &facts);

// The steady clock the screen windows and the overview share, in ms.
qint64 ClockMs();

// Tiles in rows, left to right, all of one size.
struct Grid
{
    int columns = 1;
    QSize tile;

    int Rows(int count) const { return columns > 0 ? (count + columns - 1) / columns : 0; }
    QRect TileRect(int index) const;
    // The tile under a point, or -1.
    int TileAt(const QPoint &point, int count) const;
};

// The largest tiles (no narrower than minTileWidth) that let count tiles fit
// the area; when even the narrowest do not fit, as many columns of the
// narrowest as the width takes (the window then scrolls). A tile holds a
// 4:3 panel box above captionHeight pixels of text.
Grid Flow(int count, const QSize &area, int captionHeight, int minTileWidth);

// The frame drawn in the state colour around a tile, and its line width.
QRect BorderRect(const QRect &tile);
int BorderWidth();

// The box a tile's panel is fitted into.
QRect PanelBox(const QRect &tile, int captionHeight);

// The panel scaled into the box with its aspect kept and centred: by the
// largest whole factor when the box takes the panel at least once (sets
// *whole), otherwise shrunk to fit.
QRect FitPanel(const QSize &panel, const QRect &box, bool *whole);

} // namespace OverviewTiles
