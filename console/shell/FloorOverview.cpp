#include "FloorOverview.h"

#include "BrenlowView.h"
#include "ChildFrame.h"
#include "ConsoleIcons.h"
#include "KprotChannel.h"
#include "LocalKeys.h"

#include <QGuiApplication>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

using namespace OverviewTiles;

namespace {

// Narrower tiles would not let a panel be read any more; the window
// scrolls instead.
constexpr int kMinTileWidth = 150;
// The state texts count seconds.
constexpr int kClockMs = 1000;

} // namespace

class CFloorOverview::TileCanvas : public QWidget
{
public:
    explicit TileCanvas(CFloorOverview *owner)
        : QWidget(owner)
        , m_owner(owner)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().window());
        for (int i = 0; i < m_owner->m_tiles.size(); ++i) {
            if (m_owner->TileRect(i).intersects(event->rect()))
                m_owner->PaintTile(painter, i);
        }
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        const int index = m_owner->m_grid.TileAt(event->pos(), m_owner->m_tiles.size());
        if (index >= 0)
            m_owner->ActivateTile(index);
        event->accept();
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        event->accept(); // the press did the work
    }

private:
    CFloorOverview *m_owner;
};

CFloorOverview::CFloorOverview(QMdiArea *area)
    : QScrollArea(nullptr)
    , m_area(area)
    , m_canvas(new TileCanvas(this))
    , m_now(&OverviewTiles::ClockMs)
{
    setWindowTitle(QStringLiteral("Panoramica impianto"));
    setWindowIcon(ConsoleIcons::ProgramIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(false);
    setWidget(m_canvas);
    // Keys typed here are for this window, never for a controller.
    KeepKeysLocal(this);

    QSize size(960, 640);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 3 / 4);
    resize(size);

    m_clock.setInterval(kClockMs);
    connect(&m_clock, &QTimer::timeout, this, &CFloorOverview::Refresh);
    Rebuild();
}

CFloorOverview::~CFloorOverview() = default;

QWidget *CFloorOverview::Canvas() const
{
    return m_canvas;
}

CChildFrame *CFloorOverview::TileFrame(int index) const
{
    return index >= 0 && index < m_tiles.size() ? m_tiles[index].frame.data() : nullptr;
}

QString CFloorOverview::TileAddress(int index) const
{
    return index >= 0 && index < m_tiles.size() ? m_tiles[index].address : QString();
}

LinkStatus CFloorOverview::TileStatus(int index) const
{
    return index >= 0 && index < m_tiles.size() ? m_tiles[index].status : LinkStatus();
}

void CFloorOverview::ScheduleRebuild()
{
    if (m_rebuildScheduled)
        return;
    m_rebuildScheduled = true;
    QTimer::singleShot(0, this, &CFloorOverview::Rebuild);
}

void CFloorOverview::Rebuild()
{
    m_rebuildScheduled = false;
    QVector<Tile> tiles;
    if (m_area) {
        const auto frames = CChildFrame::ScreenWindowsIn(m_area);
        for (CChildFrame *frame : frames) {
            Tile tile;
            tile.frame = frame;
            tile.address = frame->GetView()->GetChannel()->GetHost();
            tiles.append(tile);
        }
    }
    m_tiles = tiles;
    Reflow();
    Refresh();
    m_canvas->update();
}

void CFloorOverview::Reflow()
{
    const QSize area = viewport()->size();
    m_grid = Flow(m_tiles.size(), area, CaptionHeight(), kMinTileWidth);
    const int height = qMax(area.height(), m_grid.Rows(m_tiles.size()) * m_grid.tile.height());
    m_canvas->resize(area.width(), height);
    m_canvas->update();
}

void CFloorOverview::Refresh()
{
    const qint64 now = m_now();
    for (int i = 0; i < m_tiles.size(); ++i) {
        Tile &tile = m_tiles[i];
        if (!tile.frame)
            continue; // gone; the rebuild is on its way
        const CBrenlowView *view = tile.frame->GetView();
        const LinkStatus status = StatusOf(view->GetLinkFacts(now));
        const int repaints = view->TimedRepaintCount();
        if (status != tile.status || repaints != tile.repaints) {
            tile.status = status;
            tile.repaints = repaints;
            m_canvas->update(TileRect(i));
        }
    }
}

void CFloorOverview::ActivateTile(int index)
{
    CChildFrame *frame = TileFrame(index);
    if (!frame || !m_area)
        return;
    // A window still waiting for its first image is shown as it waits.
    frame->GetView()->ShowWhileWaiting();
    if (frame->isVisible() || frame->isMinimized()) {
        if (frame->isMinimized())
            frame->showNormal();
        m_area->setActiveSubWindow(frame);
        frame->GetView()->setFocus(Qt::OtherFocusReason);
    }
    QWidget *holder = m_area->window();
    if (holder->isMinimized())
        holder->showNormal();
    holder->raise();
    holder->activateWindow();
}

QRect CFloorOverview::TilePanelRect(int index, bool *whole) const
{
    bool wholeFactor = false;
    const CChildFrame *frame = TileFrame(index);
    const QSize panel = frame ? frame->GetView()->GetPicture().PanelSize() : QSize();
    const QRect target = FitPanel(panel, PanelBox(TileRect(index), CaptionHeight()), &wholeFactor);
    if (whole)
        *whole = wholeFactor;
    return target;
}

int CFloorOverview::CaptionHeight() const
{
    return 2 * fontMetrics().height() + 4;
}

void CFloorOverview::PaintTile(QPainter &painter, int index) const
{
    const Tile &tile = m_tiles[index];
    const QRect cell = TileRect(index);
    const int captionHeight = CaptionHeight();

    const int line = BorderWidth();
    const QRect border = BorderRect(cell);
    painter.fillRect(border, tile.status.BorderColour());
    painter.fillRect(border.adjusted(line, line, -line, -line), palette().base());

    const QRect box = PanelBox(cell, captionHeight);
    bool whole = false;
    const QRect target = TilePanelRect(index, &whole);
    if (target.isEmpty()) {
        // Nothing received yet: an empty panel.
        painter.fillRect(FitPanel(QSize(4, 3), box, &whole), palette().mid());
    } else {
        // Whole factors keep every controller pixel a sharp square;
        // shrunk panels are smoothed so they stay readable.
        const PanelPicture &picture = tile.frame->GetView()->GetPicture();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, !whole);
        painter.drawImage(target, picture.Picture(), QRect(QPoint(0, 0), picture.PanelSize()));
    }

    const QRect caption(box.left(), box.bottom() + 3, box.width(), captionHeight - 2);
    painter.setPen(palette().text().color());
    const QString address = fontMetrics().elidedText(tile.address, Qt::ElideMiddle, caption.width());
    painter.drawText(caption, Qt::AlignHCenter | Qt::AlignTop, address);
    painter.drawText(caption, Qt::AlignHCenter | Qt::AlignBottom, tile.status.Text());
}

void CFloorOverview::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    Reflow();
}

void CFloorOverview::showEvent(QShowEvent *event)
{
    QScrollArea::showEvent(event);
    Refresh();
    m_clock.start();
}

void CFloorOverview::hideEvent(QHideEvent *event)
{
    QScrollArea::hideEvent(event);
    m_clock.stop();
}
