#pragma once

#include <QMdiSubWindow>

#include <memory>

class CBrenlowDoc;
class CBrenlowView;
class QLabel;
class QStatusBar;

// The frame of one screen window: the view above a one-pane status bar for
// the block texts. It cannot be resized or maximised, and it is created
// hidden; the view sizes and shows it when the first image arrives.
class CChildFrame : public QMdiSubWindow
{
    Q_OBJECT
    Q_DISABLE_COPY(CChildFrame)

public:
    explicit CChildFrame(const QString &presetAddress, QWidget *parent = nullptr);
    ~CChildFrame() override;

    CBrenlowDoc *GetDocument() const { return m_document.get(); }
    CBrenlowView *GetView() const { return m_view; }

    void SetStatusText(const QString &text);
    QString StatusText() const;

    // Fits the frame around a view of the panel's size and shows it.
    void SizeForPanel(const QSize &panel);

private:
    void KeepFixedSizeEntries();

    std::unique_ptr<CBrenlowDoc> m_document;
    QStatusBar *m_statusBar = nullptr;
    QLabel *m_statusPane = nullptr;
    CBrenlowView *m_view = nullptr;
};
