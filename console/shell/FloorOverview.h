#pragma once

#include "OverviewTiles.h"

#include <QPointer>
#include <QScrollArea>
#include <QTimer>
#include <QVector>

#include <functional>

class CChildFrame;
class QMdiArea;
class QPainter;

// "Panoramica impianto": every screen window of the console as a tile, in
// the order the windows were opened, with the controller's address and the
// state of its connection under the panel. The tiles show the pictures the
// screen windows already hold, brought up to date when the console's
// refresh timer has repainted them; the overview itself never talks to a
// controller. A click on a tile brings that screen window to the front.
// Whoever shows it tells it when the windows changed (ScheduleRebuild) and
// when they were repainted (Refresh).
class CFloorOverview : public QScrollArea
{
    Q_OBJECT
    Q_DISABLE_COPY(CFloorOverview)

public:
    // The screen windows of the MDI area, in a top-level window of its
    // own, so the window holding the area can come in front of it; that
    // window deletes it.
    explicit CFloorOverview(QMdiArea *area);
    ~CFloorOverview() override;

    int TileCount() const { return m_tiles.size(); }
    CChildFrame *TileFrame(int index) const;
    QString TileAddress(int index) const;
    OverviewTiles::LinkStatus TileStatus(int index) const;
    // The tile's place on the canvas, the widget that shows the tiles.
    QRect TileRect(int index) const { return m_grid.TileRect(index); }
    // Where the tile's panel is drawn; empty before the first image.
    QRect TilePanelRect(int index, bool *whole = nullptr) const;
    QWidget *Canvas() const;

    // Brings the tile's screen window forward in the MDI area, restored if
    // it was minimised, and the window holding the area in front of others.
    void ActivateTile(int index);

    // Reads every screen window's state and picture again and repaints the
    // tiles that changed.
    void Refresh();
    // Reads the list of screen windows again at the next turn of the event
    // loop: a window announces its end from its destructor.
    void ScheduleRebuild();

    // The clock the silence of a controller is measured against; tests
    // move it forward.
    void SetClock(std::function<qint64()> now) { m_now = std::move(now); }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    class TileCanvas;
    friend class TileCanvas;

    struct Tile
    {
        QPointer<CChildFrame> frame;
        QString address;
        int repaints = -1;
        OverviewTiles::LinkStatus status;
    };

    void Rebuild();
    void Reflow();
    int CaptionHeight() const;
    void PaintTile(QPainter &painter, int index) const;

    QPointer<QMdiArea> m_area;
    TileCanvas *m_canvas;
    QVector<Tile> m_tiles;
    OverviewTiles::Grid m_grid;
    QTimer m_clock;
    bool m_rebuildScheduled = false;
    std::function<qint64()> m_now;
};
