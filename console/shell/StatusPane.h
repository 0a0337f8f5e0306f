#pragma once

#include <QWidget>

// The one pane of a screen window's status bar. A controller streaming its
// panel changes the block text hundreds of times a second, but the operator
// can only see the text standing at the next paint: a new text is kept and
// the pane is marked for the next paint, where it is laid out and drawn
// once. The same text again costs a comparison. The pane never asks its
// status bar for a new layout, so a text change moves no other widget.
class StatusPane : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(StatusPane)

public:
    explicit StatusPane(QWidget *parent = nullptr);

    void SetText(const QString &text);
    QString Text() const { return m_text; }
    // The text the last paint drew; empty before the first paint.
    QString PaintedText() const { return m_paintedText; }
    int PaintCount() const { return m_paints; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QString m_paintedText;
    // Set from a text change until the next paint; while it is set, further
    // changes need not ask for a paint again.
    bool m_paintRequested = false;
    int m_paints = 0;
};
