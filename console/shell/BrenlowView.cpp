#include "BrenlowView.h"

#include "BrenlowDoc.h"
#include "ChildFrame.h"
#include "KeyMessage.h"
#include "KprotChannel.h"
#include "LocalKeys.h"
#include "PanelSnapshot.h"
#include "ScreenViewHost.h"
#include "UserMessages.h"
#include "ZoomSettings.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QRegularExpression>
#include <QTimer>

CBrenlowView::CBrenlowView(CBrenlowDoc *document, CChildFrame *frame, ScreenViewHost *host)
    : QWidget(nullptr)
    , m_document(document)
    , m_frame(frame)
    , m_host(host)
    , m_channel(new CKprotChannel)
    , m_parser([frame](const QString &text) { frame->SetStatusText(text); },
               [frame](int number) { frame->SetBlockStatus(number); })
    , m_firstImageWait(new QTimer(this))
{
    m_firstImageWait->setSingleShot(true);
    m_firstImageWait->setInterval(kFirstImageWaitMs);
    connect(m_firstImageWait, &QTimer::timeout, this, &CBrenlowView::ShowWhileWaiting);
    setFocusPolicy(Qt::StrongFocus);
    m_document->AttachView(this);
}

CBrenlowView::~CBrenlowView()
{
    if (m_channel->IsOpen()) {
        m_host->HideKeypad(GetKeyboardLayout(), m_channel);
        m_channel->Close();
    }
    delete m_channel;
}

void CBrenlowView::OnCreate()
{
    QString address;
    if (!m_document->GetPresetAddress(&address) && !m_host->AskAddress(&address))
        return;

    // The same text as an open window's host is the same controller; any
    // other spelling (leading zeros, a host name) counts as different.
    if (m_channel->GetHost() == address || m_host->IsAddressOpen(address)) {
        ShowMessage(QStringLiteral("Canale già aperto"), MessageIcon::Error);
        return;
    }

    m_channel->Open(address, this, SCREEN_PORT);
    if (m_channel->IsOpen()) {
        m_openedAtMs = OverviewTiles::ClockMs();
        m_zoom = ZoomSettings::Load(address);
        m_firstImageWait->start();
    }
}

void CBrenlowView::ShowWhileWaiting()
{
    if (!m_resizePending || m_frame->isVisible() || !m_channel->IsOpen())
        return;
    const int waiting = m_channel->GetReceiveBuffer().size();
    m_frame->SetStatusText(waiting > 0
        ? QStringLiteral("In attesa della prima videata: %1 byte di un blocco incompleto").arg(waiting)
        : QStringLiteral("In attesa della prima videata: nessun dato ricevuto"));
    // Sized as the smaller panel; the first image sizes it again.
    m_frame->SizeForPanel(QSize(PanelPicture::kMonoWidth, PanelPicture::kMonoHeight) * m_zoom);
}

void CBrenlowView::OnChannelData()
{
    const int layoutBefore = m_image.KeyboardLayout();
    const bool decoded = m_parser.Parse(m_channel->GetReceiveBuffer(), m_image);
    // The controller now reads another keypad: the keys it holds from the
    // old one are let go.
    if (m_image.KeyboardLayout() != layoutBefore)
        m_host->ReleaseKeys(m_channel);
    if (decoded) {
        m_lastBlockAtMs = OverviewTiles::ClockMs();
        m_firstImageWait->stop();
    }
    if (decoded && !m_dirty) {
        m_dirty = true;
        m_host->ArmRefresh();
    }
}

void CBrenlowView::Repaint()
{
    ++m_timedRepaints;
    m_frame->ShowStatus();
    const int mode = m_image.DisplayMode();
    if (mode == ScreenImage::NothingReceived)
        return;
    m_picture.Update(m_image);
    if (m_resizePending) {
        // The frame is sized once, for the panel of the first image, and
        // becomes visible only now.
        m_resizePending = false;
        m_sizedPanel = m_picture.PanelSize();
        m_frame->SizeForPanel(m_sizedPanel * m_zoom);
    }
    update();
}

void CBrenlowView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!painter.isActive()) {
        ShowMessage(QStringLiteral("Device Context non disponibile"), MessageIcon::Error);
        return;
    }
    // Every draw shows the image as it stands now.
    m_picture.Update(m_image);
    const QSize panel = m_picture.PanelSize();
    if (panel.isEmpty())
        return;
    const QRect source(QPoint(0, 0), panel);
    if (m_zoom == 1) {
        painter.drawImage(QPoint(0, 0), m_picture.Picture(), source);
        return;
    }
    // Nearest neighbour: each controller pixel stays a sharp square.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(QPoint(0, 0), panel * m_zoom), m_picture.Picture(), source);
}

void CBrenlowView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    // The visible keyboard always types into the screen window in front.
    m_host->ShowKeypad(GetKeyboardLayout(), m_channel);
}

void CBrenlowView::OnAggiorna()
{
    const char request[kKeyMessageSize] = {char(kRefreshFlags), char(kRefreshCode)};
    m_channel->SendBytes(request, kKeyMessageSize);
}

void CBrenlowView::OnTastiera()
{
    m_host->ToggleKeypads();
    m_host->ShowKeypad(GetKeyboardLayout(), m_channel);
}

void CBrenlowView::OnDatiStatistici()
{
    emit StatisticsRequested(m_channel->GetHost());
}

void CBrenlowView::OnChannelPeerGone()
{
    m_peerGone = true;
    // A window with an accepted block is shown by the next timed repaint
    // and stays, with its last image, until the operator closes it.
    if (!m_resizePending || m_image.DisplayMode() != ScreenImage::NothingReceived)
        return;
    // Closed from the event loop: the channel is still inside its
    // notification, and the view owns it.
    CChildFrame *frame = m_frame;
    QMetaObject::invokeMethod(frame, [frame] { frame->close(); }, Qt::QueuedConnection);
}

OverviewTiles::LinkFacts CBrenlowView::GetLinkFacts(qint64 nowMs) const
{
    OverviewTiles::LinkFacts facts;
    facts.channelOpen = m_channel->IsOpen();
    facts.peerGone = m_peerGone;
    facts.silentMs = nowMs - (m_lastBlockAtMs >= 0 ? m_lastBlockAtMs : m_openedAtMs);
    return facts;
}

void CBrenlowView::SetZoom(int zoom)
{
    if (zoom < ZoomSettings::kMinZoom || zoom > ZoomSettings::kMaxZoom)
        return;
    ZoomSettings::Save(m_channel->GetHost(), zoom);
    if (zoom == m_zoom)
        return;
    m_zoom = zoom;
    // A window already shown is fitted to the new size at once; one still
    // waiting for its first image is sized by that image's repaint.
    if (!m_resizePending)
        m_frame->SizeForPanel(m_sizedPanel * m_zoom);
    update();
}

QMenu *CBrenlowView::BuildContextMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    QAction *save = menu->addAction(QStringLiteral("Salva immagine..."));
    // Only a panel that is shown can be saved.
    save->setEnabled(!m_picture.PanelSize().isEmpty());
    connect(save, &QAction::triggered, this, &CBrenlowView::SaveImage);

    QAction *overview = menu->addAction(QStringLiteral("Panoramica impianto"));
    connect(overview, &QAction::triggered, this, &CBrenlowView::OverviewRequested);

    QMenu *zoomMenu = menu->addMenu(QStringLiteral("Zoom"));
    auto *zooms = new QActionGroup(zoomMenu);
    for (int zoom = ZoomSettings::kMinZoom; zoom <= ZoomSettings::kMaxZoom; ++zoom) {
        QAction *action = zoomMenu->addAction(QStringLiteral("%1x").arg(zoom));
        action->setCheckable(true);
        action->setChecked(zoom == m_zoom);
        zooms->addAction(action);
        connect(action, &QAction::triggered, this, [this, zoom] { SetZoom(zoom); });
    }

    // What the operator types to pick an item is for this menu only.
    KeepKeysLocal(menu);
    return menu;
}

void CBrenlowView::contextMenuEvent(QContextMenuEvent *event)
{
    // The menu, its submenu and the dialogs its items open take the keys
    // typed meanwhile (CKeyEventFilter); a key held from before goes on
    // being mirrored and breaks when it is let go.
    QMenu *menu = BuildContextMenu(this);
    menu->exec(event->globalPos());
    delete menu;
}

void CBrenlowView::SaveImage()
{
    // The panel as the operator saw it when asking, not as it may have
    // changed while the file dialog was open.
    const QImage panel = PanelSnapshot::PanelImage(m_picture);
    if (panel.isNull())
        return;
    // Offered name: the controller's address, made safe for a file name.
    QString name = m_channel->GetHost();
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    if (name.isEmpty())
        name = QStringLiteral("pannello");
    const QString path = m_host->AskImagePath(QDir::home().filePath(name + QStringLiteral(".png")));
    if (path.isEmpty())
        return;
    QString error;
    if (!PanelSnapshot::WritePng(panel, path, &error))
        ShowMessage(QStringLiteral("Impossibile salvare l'immagine %1: %2").arg(path, error), MessageIcon::Error);
}
