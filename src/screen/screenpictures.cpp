#include "screenpictures.h"

#include "commandglyphs.h"

#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace screenpictures {

namespace {

constexpr int kSide = 16;

QIcon glyphFrom(const std::function<void(QPainter &)> &draw)
{
    QPixmap pixmap(kSide, kSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    // Greyed by us for the disabled state, whatever the desktop's style.
    return glyphIcon(pixmap);
}

void drawCoin(QPainter &painter)
{
    painter.setPen(QPen(QColor(128, 96, 0), 1));
    painter.setBrush(QColor(240, 200, 40));
    painter.drawEllipse(QRectF(1.5, 1.5, 12, 12));
    painter.setPen(QPen(QColor(96, 64, 0), 1.5));
    QFont font = painter.font();
    font.setPixelSize(10);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRectF(1.5, 1.5, 12, 12), Qt::AlignCenter, QStringLiteral("$"));
}

}  // namespace

QIcon filterGlyph()
{
    return glyphFrom([](QPainter &painter) {
        QPainterPath funnel;
        funnel.moveTo(1.5, 2.5);
        funnel.lineTo(14.5, 2.5);
        funnel.lineTo(9.5, 8.5);
        funnel.lineTo(9.5, 14.5);
        funnel.lineTo(6.5, 12.5);
        funnel.lineTo(6.5, 8.5);
        funnel.closeSubpath();
        painter.setPen(QPen(QColor(0, 0, 128), 1));
        painter.setBrush(QColor(64, 128, 224));
        painter.drawPath(funnel);
    });
}

QIcon generateGlyph()
{
    return glyphFrom([](QPainter &painter) { drawCoin(painter); });
}

QIcon cancelGlyph()
{
    return glyphFrom([](QPainter &painter) {
        drawCoin(painter);
        painter.setPen(QPen(QColor(200, 0, 0), 2));
        painter.drawLine(QPointF(3, 3), QPointF(14, 14));
        painter.drawLine(QPointF(14, 3), QPointF(3, 14));
    });
}

}  // namespace screenpictures
