#pragma once

#include <QWidget>

// The one pane of a screen window's status bar. A controller streaming its
// panel changes the block text hundreds of times a second, but the operator
// can only see the text standing at the next paint: a new text is kept and
// the pane is marked for the next paint, where it is laid out and drawn
// once. The same text again costs a comparison. A block's text is kept as
// its line number, written out only when it is drawn or asked for, and
// drawn with the panel it belongs to, at the timed repaint. The pane never asks its
// status bar for a new layout, so a text change moves no other widget.
class StatusPane : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(StatusPane)

public:
    explicit StatusPane(QWidget *parent = nullptr);

    void SetText(const QString &text);
    // The text of a decoded block ("blocco linea: %d"). It is drawn with
    // the panel's timed repaint (ShowLatest), not at every block.
    void SetBlockLine(int number);
    // Asks for a paint if the pane does not show its text yet.
    void ShowLatest();
    QString Text() const;
    // The text the last paint drew; empty before the first paint.
    QString PaintedText() const { return m_paintedText; }
    int PaintCount() const { return m_paints; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void RequestPaint();

    // The text, unless m_blockLine is set: then it is that block's text,
    // written into m_text when first needed.
    mutable QString m_text;
    int m_blockLine = -1;
    mutable bool m_textStale = false;
    QString m_paintedText;
    // Set from a text change until the next paint; while it is set, further
    // changes need not ask for a paint again.
    bool m_paintRequested = false;
    int m_paints = 0;
};
