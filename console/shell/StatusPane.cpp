#include "StatusPane.h"

#include "ScreenBlockParser.h"

#include <QPainter>
#include <QStyle>

StatusPane::StatusPane(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StatusPane::SetText(const QString &text)
{
    if (text == Text())
        return;
    m_text = text;
    m_blockLine = -1;
    m_textStale = false;
    RequestPaint();
}

void StatusPane::SetBlockLine(int number)
{
    if (number == m_blockLine)
        return;
    m_blockLine = number;
    m_textStale = true;
}

void StatusPane::ShowLatest()
{
    if (m_textStale || m_text != m_paintedText)
        RequestPaint();
}

QString StatusPane::Text() const
{
    if (m_textStale) {
        m_text = ScreenBlockParser::BlockText(m_blockLine);
        m_textStale = false;
    }
    return m_text;
}

void StatusPane::RequestPaint()
{
    if (!m_paintRequested) {
        m_paintRequested = true;
        update();
    }
}

QSize StatusPane::sizeHint() const
{
    // The text standing when a layout asks; a later text does not resize
    // anything, it is drawn in the room the pane has.
    return {fontMetrics().horizontalAdvance(Text()), fontMetrics().height()};
}

QSize StatusPane::minimumSizeHint() const
{
    return {0, fontMetrics().height()};
}

void StatusPane::paintEvent(QPaintEvent *)
{
    m_paintRequested = false;
    ++m_paints;
    m_paintedText = Text();
    // Drawn as a plain label draws its text: left, vertically centred, in
    // the window text colour.
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          palette(), isEnabled(), m_paintedText, foregroundRole());
}
