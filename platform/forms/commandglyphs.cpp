#include "commandglyphs.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int side = 16;

const QColor ink(40, 40, 40);
const QColor green(24, 140, 40);
const QColor red(200, 30, 30);
const QColor blue(30, 70, 170);

QPen pen(const QColor &color, double width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawTriangle(QPainter &p, double tipX, bool pointsLeft)
{
    const double base = pointsLeft ? tipX + 6 : tipX - 6;
    QPainterPath path;
    path.moveTo(tipX, 8);
    path.lineTo(base, 3);
    path.lineTo(base, 13);
    path.closeSubpath();
    p.fillPath(path, ink);
}

void drawFloppy(QPainter &p)
{
    p.setPen(pen(blue.darker(130), 1));
    p.setBrush(blue);
    p.drawRect(QRectF(2.5, 2.5, 11, 11));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 2.5, 7, 4));
    p.setBrush(QColor(220, 220, 220));
    p.drawRect(QRectF(5.5, 9.5, 5, 4));
}

void draw(QPainter &p, CommandGlyph glyph)
{
    switch (glyph) {
    case CommandGlyph::Insert:
        p.setPen(pen(green, 2.6));
        p.drawLine(QPointF(8, 3), QPointF(8, 13));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case CommandGlyph::Edit:
        p.setPen(pen(ink, 1));
        p.setBrush(QColor(240, 190, 40));
        p.drawPolygon(QPolygonF({QPointF(3, 13), QPointF(4, 10), QPointF(11, 3), QPointF(13, 5), QPointF(6, 12)}));
        p.setPen(pen(ink, 1.5));
        p.drawLine(QPointF(3, 13), QPointF(4.5, 11.5));
        break;
    case CommandGlyph::Delete:
        p.setPen(pen(red, 2.6));
        p.drawLine(QPointF(3, 8), QPointF(13, 8));
        break;
    case CommandGlyph::Save:
        drawFloppy(p);
        break;
    case CommandGlyph::Confirm:
        p.setPen(pen(green, 2.4));
        p.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
        break;
    case CommandGlyph::Cancel:
        p.setPen(pen(red, 2.4));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case CommandGlyph::Search:
        p.setPen(pen(ink, 1.6));
        p.setBrush(QColor(200, 225, 250));
        p.drawEllipse(QPointF(6.5, 6.5), 4, 4);
        p.setPen(pen(ink, 2.6));
        p.drawLine(QPointF(9.5, 9.5), QPointF(13.5, 13.5));
        break;
    case CommandGlyph::Refresh: {
        p.setPen(pen(green, 2));
        p.drawArc(QRectF(3, 3, 10, 10), 60 * 16, 280 * 16);
        QPainterPath head;
        head.moveTo(9, 1.5);
        head.lineTo(13.5, 3.5);
        head.lineTo(9.5, 6.5);
        head.closeSubpath();
        p.fillPath(head, green);
        break;
    }
    case CommandGlyph::Print:
        p.setPen(pen(ink, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 6));
        p.setBrush(QColor(150, 150, 150));
        p.drawRect(QRectF(1.5, 6.5, 13, 6));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        break;
    case CommandGlyph::Help: {
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        p.drawEllipse(QPointF(8, 8), 7, 7);
        QFont font = p.font();
        font.setPixelSize(12);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0, side, side), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case CommandGlyph::Close:
        p.setPen(pen(ink, 1));
        p.setBrush(QColor(150, 95, 45));
        p.drawRect(QRectF(3.5, 1.5, 9, 13));
        p.setBrush(QColor(240, 200, 60));
        p.drawEllipse(QPointF(10, 8.5), 1, 1);
        break;
    case CommandGlyph::First:
        p.fillRect(QRectF(3, 3, 2, 10), ink);
        drawTriangle(p, 6, true);
        break;
    case CommandGlyph::Prior:
        drawTriangle(p, 5, true);
        break;
    case CommandGlyph::Next:
        drawTriangle(p, 11, false);
        break;
    case CommandGlyph::Last:
        drawTriangle(p, 10, false);
        p.fillRect(QRectF(11, 3, 2, 10), ink);
        break;
    case CommandGlyph::OpenFolder:
        p.setPen(pen(QColor(150, 110, 20), 1));
        p.setBrush(QColor(245, 205, 90));
        p.drawPolygon(QPolygonF({QPointF(1.5, 4.5), QPointF(6, 4.5), QPointF(7.5, 6), QPointF(14.5, 6),
                                 QPointF(14.5, 13.5), QPointF(1.5, 13.5)}));
        break;
    }
}

// The picture in light greys, fainter: the darker a point, the darker its grey.
QPixmap greyed(const QPixmap &picture)
{
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 3 / 4);
        }
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(picture.devicePixelRatio());
    return result;
}

}  // namespace

QIcon glyphIcon(const QPixmap &picture)
{
    QIcon icon(picture);
    icon.addPixmap(greyed(picture), QIcon::Disabled);
    return icon;
}

QIcon commandGlyph(CommandGlyph glyph)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, glyph);
    painter.end();
    return glyphIcon(pixmap);
}
