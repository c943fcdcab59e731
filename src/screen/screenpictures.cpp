#include "screenpictures.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace screenpictures {

namespace {

constexpr int kSide = 16;
// Top-left corner of the box's black edge; the inside starts one pixel in.
constexpr int kBoxLeft = 2;
constexpr int kBoxTop = 2;
constexpr int kInside = 9;

// The tick, 7 x 7, placed one pixel into the inside.
constexpr const char *kTick[] = {
    "......X",
    ".....XX",
    "X...XXX",
    "XX.XXX.",
    "XXXXX..",
    ".XXX...",
    "..X....",
};

QIcon glyphFrom(const std::function<void(QPainter &)> &draw)
{
    QPixmap pixmap(kSide, kSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    // The disabled state is derived by the style from the normal pixmap.
    return QIcon(pixmap);
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

QColor transparentColour()
{
    return QColor(128, 128, 0);
}

QPixmap checkBox(CheckBox kind)
{
    QImage image(kSide, kSide, QImage::Format_RGB32);
    image.fill(transparentColour());
    const QRgb black = qRgb(0, 0, 0);
    const QRgb silver = qRgb(192, 192, 192);
    const QRgb inside = kind == CheckBox::Undetermined ? silver : qRgb(255, 255, 255);

    const int right = kBoxLeft + kInside + 1;   // column of the silver line
    const int bottom = kBoxTop + kInside + 1;   // row of the silver line
    for (int i = kBoxLeft; i <= right; ++i) {
        image.setPixel(i, kBoxTop, black);
        image.setPixel(i, bottom, silver);
    }
    for (int j = kBoxTop; j <= bottom; ++j) {
        image.setPixel(kBoxLeft, j, black);
        image.setPixel(right, j, silver);
    }
    image.setPixel(kBoxLeft, bottom, black);
    for (int y = 0; y < kInside; ++y)
        for (int x = 0; x < kInside; ++x)
            image.setPixel(kBoxLeft + 1 + x, kBoxTop + 1 + y, inside);

    if (kind == CheckBox::Checked) {
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 7; ++x)
                if (kTick[y][x] == 'X')
                    image.setPixel(kBoxLeft + 2 + x, kBoxTop + 2 + y, black);
    }
    return QPixmap::fromImage(image);
}

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
