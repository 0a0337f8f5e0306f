#include "ConsoleIcons.h"

#include "CommandIds.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor kInk(32, 32, 32);
const QColor kPanel(40, 110, 60);
const QColor kScreen(200, 230, 200);
const QColor kFolder(230, 190, 80);
const QColor kRed(200, 40, 40);
const QColor kBlue(40, 80, 190);

template <typename Draw>
QPixmap Picture(int size, Draw draw)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    draw(p);
    return pixmap;
}

// A controller panel: a framed screen with two lines of stitches.
void DrawPanel(QPainter &p, const QRect &r)
{
    p.setPen(kInk);
    p.setBrush(kPanel);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    const QRect screen = r.adjusted(2, 2, -3, -3);
    p.setBrush(kScreen);
    p.drawRect(screen);
    p.setPen(kPanel);
    for (int x = screen.left() + 2; x < screen.right() - 1; x += 3) {
        p.drawLine(x, screen.top() + 2, x + 1, screen.top() + 3);
        p.drawLine(x + 1, screen.top() + 3, x + 2, screen.top() + 2);
    }
}

QPixmap Open()
{
    return Picture(16, [](QPainter &p) {
        p.setPen(kInk);
        p.setBrush(kFolder);
        p.drawRect(1, 5, 11, 8);
        p.drawRect(1, 3, 4, 2);
        // A plug going in: the channel being opened.
        p.setBrush(kBlue);
        p.drawRect(10, 1, 4, 4);
        p.drawLine(12, 5, 12, 9);
    });
}

QPixmap Close()
{
    return Picture(16, [](QPainter &p) {
        DrawPanel(p, QRect(1, 2, 12, 10));
        QPen pen(kRed, 2);
        p.setPen(pen);
        p.drawLine(8, 8, 14, 14);
        p.drawLine(14, 8, 8, 14);
    });
}

QPixmap Statistics()
{
    return Picture(16, [](QPainter &p) {
        p.setPen(kInk);
        p.drawLine(1, 14, 14, 14);
        p.drawLine(1, 1, 1, 14);
        p.setBrush(kBlue);
        p.drawRect(3, 9, 2, 4);
        p.setBrush(kPanel);
        p.drawRect(7, 5, 2, 8);
        p.setBrush(kRed);
        p.drawRect(11, 2, 2, 11);
    });
}

QPixmap Keyboard()
{
    return Picture(16, [](QPainter &p) {
        p.setPen(kInk);
        p.setBrush(QColor(225, 225, 225));
        p.drawRect(0, 4, 15, 9);
        p.setBrush(kInk);
        for (int row = 0; row < 2; ++row)
            for (int x = 2; x < 14; x += 3)
                p.drawRect(x + row, 6 + 2 * row, 1, 1);
        p.drawLine(4, 11, 11, 11);
    });
}

QPixmap OpenList()
{
    return Picture(16, [](QPainter &p) {
        p.setPen(kInk);
        p.setBrush(Qt::white);
        p.drawRect(2, 1, 10, 13);
        for (int y = 4; y <= 11; y += 3) {
            p.setPen(kBlue);
            p.drawLine(4, y, 10, y);
        }
        p.setPen(kInk);
        p.setBrush(kFolder);
        p.drawRect(9, 9, 6, 5);
    });
}

QPixmap SaveAll()
{
    return Picture(16, [](QPainter &p) {
        p.setPen(kInk);
        p.setBrush(kBlue);
        p.drawRect(1, 1, 13, 13);
        p.setBrush(Qt::white);
        p.drawRect(4, 2, 7, 5);
        p.setBrush(QColor(180, 180, 180));
        p.drawRect(4, 10, 7, 4);
    });
}

QPixmap ResetAll()
{
    return Picture(16, [](QPainter &p) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(kPanel, 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 280 * 16);
        QPainterPath head;
        head.moveTo(10, 0.5);
        head.lineTo(14.5, 4);
        head.lineTo(9, 6.5);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(kPanel);
        p.drawPath(head);
    });
}

QPixmap About()
{
    return Picture(16, [](QPainter &p) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(kInk);
        p.setBrush(kBlue);
        p.drawEllipse(QRectF(0.5, 0.5, 14, 14));
        QFont font = p.font();
        font.setPixelSize(12);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, 15, 15), Qt::AlignCenter, QStringLiteral("?"));
    });
}

} // namespace

namespace ConsoleIcons {

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48}) {
        icon.addPixmap(Picture(size, [size](QPainter &p) {
            DrawPanel(p, QRect(0, size / 8, size, size * 3 / 4));
        }));
    }
    return icon;
}

QIcon CommandIcon(int commandId)
{
    switch (commandId) {
    case Cmd::ID_FILE_NEW:
        return QIcon(Open());
    case Cmd::ID_FILE_CLOSE:
        return QIcon(Close());
    case Cmd::ID_DATI_STATISTICI:
        return QIcon(Statistics());
    case Cmd::ID_TASTIERA:
        return QIcon(Keyboard());
    case Cmd::ID_FILE_OPEN:
        return QIcon(OpenList());
    case Cmd::ID_SALVA_TUTTI:
        return QIcon(SaveAll());
    case Cmd::ID_RESET_TUTTI:
        return QIcon(ResetAll());
    case Cmd::ID_APP_ABOUT:
        return QIcon(About());
    default:
        return {};
    }
}

} // namespace ConsoleIcons
