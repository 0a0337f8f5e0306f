#pragma once

#include "KprotListener.h"
#include "OverviewTiles.h"
#include "PanelPicture.h"
#include "ScreenBlockParser.h"
#include "ScreenImage.h"

#include <QWidget>

class CBrenlowDoc;
class CChildFrame;
class CKprotChannel;
class QMenu;
class ScreenViewHost;
class QTimer;

// One controller's screen: owns the channel to its screen service, decodes
// the screen blocks into the image, and shows the panel pixel for pixel.
// Received blocks only mark the view dirty; the main frame's refresh timer
// repaints it at most once a second. What the window needs from the
// console around it goes through the host it is given at creation.
class CBrenlowView : public QWidget, public CKprotListener
{
    Q_OBJECT
    Q_DISABLE_COPY(CBrenlowView)

public:
    CBrenlowView(CBrenlowDoc *document, CChildFrame *frame, ScreenViewHost *host);
    ~CBrenlowView() override;

    // Asks for the address when none is preset, refuses one already open,
    // and opens the channel. The window is kept only if the channel opened.
    void OnCreate();

    CKprotChannel *GetChannel() const { return m_channel; }
    CBrenlowDoc *GetDocument() const { return m_document; }
    int GetKeyboardLayout() const { return m_image.KeyboardLayout(); }
    int GetDisplayMode() const { return m_image.DisplayMode(); }
    const ScreenImage &GetImage() const { return m_image; }

    bool IsDirty() const { return m_dirty; }
    void ClearDirty() { m_dirty = false; }
    // The timed repaint: sizes and shows the window on its first image.
    void Repaint();
    int TimedRepaintCount() const { return m_timedRepaints; }
    // True while the next timed repaint will size and show the window.
    bool ShowsOnNextRepaint() const
    {
        return m_resizePending && m_image.DisplayMode() != ScreenImage::NothingReceived;
    }

    void OnChannelData() override;
    // A window that never showed an image cannot be seen or closed by the
    // operator, and would hold its address for good: it goes after the
    // channel's message, so that the controller can be opened again.
    void OnChannelPeerGone() override;

    // A window stays hidden until its first image, but not for ever: one
    // whose controller has sent no whole block kFirstImageWaitMs after its
    // channel opened (a controller that stalls in its first block, or
    // announces a line it never sends) is shown anyway, with what it waits
    // for in its status bar, so that the operator can see and close it and
    // open its address again. Its overview tile shows it at once.
    static constexpr int kFirstImageWaitMs = 5000;
    void ShowWhileWaiting();

    // Every panel pixel is shown as a zoom x zoom square (1 to 4). The zoom
    // of an address is remembered and applied when it is opened again.
    int Zoom() const { return m_zoom; }
    void SetZoom(int zoom);

    // The panel as the last timed repaint left it, for the floor overview.
    const PanelPicture &GetPicture() const { return m_picture; }
    OverviewTiles::LinkFacts GetLinkFacts(qint64 nowMs) const;

    // Commands of the screen window.
    void OnAggiorna();
    void OnTastiera();
    void OnDatiStatistici();

    // The screen window's context menu (right button): "Salva
    // immagine...", "Panoramica impianto" and the "Zoom" submenu; the caller
    // owns the menu.
    QMenu *BuildContextMenu(QWidget *parent);
    // Asks for a file and writes the panel, as it is shown now, as a PNG at
    // the panel's native size.
    void SaveImage();

signals:
    // The operator asked for this controller's statistics window, or for
    // the floor overview, from this window.
    void StatisticsRequested(const QString &host);
    void OverviewRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    CBrenlowDoc *m_document;
    CChildFrame *m_frame;
    ScreenViewHost *m_host;
    CKprotChannel *m_channel;
    bool m_dirty = false;
    bool m_resizePending = true;
    ScreenImage m_image;
    PanelPicture m_picture;
    ScreenBlockParser m_parser;
    int m_timedRepaints = 0;
    int m_zoom = 1;
    QSize m_sizedPanel;
    qint64 m_openedAtMs = 0;
    qint64 m_lastBlockAtMs = -1;
    bool m_peerGone = false;
    QTimer *m_firstImageWait;
};
