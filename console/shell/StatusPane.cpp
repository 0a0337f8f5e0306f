#include "StatusPane.h"

#include <QPainter>
#include <QStyle>

StatusPane::StatusPane(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StatusPane::SetText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    if (!m_paintRequested) {
        m_paintRequested = true;
        update();
    }
}

QSize StatusPane::sizeHint() const
{
    // The text standing when a layout asks; a later text does not resize
    // anything, it is drawn in the room the pane has.
    return {fontMetrics().horizontalAdvance(m_text), fontMetrics().height()};
}

QSize StatusPane::minimumSizeHint() const
{
    return {0, fontMetrics().height()};
}

void StatusPane::paintEvent(QPaintEvent *)
{
    m_paintRequested = false;
    ++m_paints;
    m_paintedText = m_text;
    // Drawn as a plain label draws its text: left, vertically centred, in
    // the window text colour.
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          palette(), isEnabled(), m_text, foregroundRole());
}
