#pragma once

#include <QMdiSubWindow>

#include <memory>

class CBrenlowDoc;
class CBrenlowView;
class QMdiArea;
class QStatusBar;
class ScreenViewHost;
class StatusPane;

// The frame of one screen window: the view above a one-pane status bar for
// the block texts. It cannot be resized or maximised, and it is created
// hidden; the view sizes and shows it when the first image arrives.
class CChildFrame : public QMdiSubWindow
{
    Q_OBJECT
    Q_DISABLE_COPY(CChildFrame)

public:
    CChildFrame(const QString &presetAddress, ScreenViewHost *host, QWidget *parent = nullptr);
    ~CChildFrame() override;

    // A new screen window whose view has opened its channel (asking the
    // host for an address when none is preset), titled with the
    // controller's host; null, and nothing left behind, when it did not open.
    static CChildFrame *OpenScreen(const QString &presetAddress, ScreenViewHost *host);
    // The screen windows of an MDI area, hidden ones included, in the
    // order of opening.
    static QList<CChildFrame *> ScreenWindowsIn(const QMdiArea *area);

    CBrenlowDoc *GetDocument() const { return m_document.get(); }
    CBrenlowView *GetView() const { return m_view; }

    // The block texts: kept at once, drawn at the status bar's next paint.
    void SetStatusText(const QString &text);
    // The text of a decoded block, kept as its number and drawn at the
    // next ShowStatus (the timed repaint).
    void SetBlockStatus(int number);
    void ShowStatus();
    QString StatusText() const;
    StatusPane *GetStatusPane() const { return m_statusPane; }

    // Fits the frame around a view of the panel's size and shows it.
    void SizeForPanel(const QSize &panel);

signals:
    // The frame was shown or hidden: the screen-window commands follow
    // whether the active window is visible.
    void VisibilityChanged();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void KeepFixedSizeEntries();

    std::unique_ptr<CBrenlowDoc> m_document;
    QStatusBar *m_statusBar = nullptr;
    StatusPane *m_statusPane = nullptr;
    CBrenlowView *m_view = nullptr;
};
