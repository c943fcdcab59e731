#include "tcanvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>

TCanvas::TCanvas(QPainter &painter)
    : m_painter(painter), m_brush(painter.brush().style() == Qt::NoBrush ? QColor(Qt::white) : painter.brush().color()),
      m_font(painter.font()), m_fontColor(painter.pen().color())
{
}

QColor TCanvas::brushColor() const
{
    return m_brush;
}
void TCanvas::setBrushColor(const QColor &color)
{
    m_brush = color;
}
QFont TCanvas::font() const
{
    return m_font;
}
void TCanvas::setFont(const QFont &font)
{
    m_font = font;
}
QColor TCanvas::fontColor() const
{
    return m_fontColor;
}
void TCanvas::setFontColor(const QColor &color)
{
    m_fontColor = color;
}

int TCanvas::TextWidth(const QString &text) const
{
    return QFontMetrics(m_font, m_painter.device()).horizontalAdvance(text);
}

int TCanvas::TextHeight() const
{
    return QFontMetrics(m_font, m_painter.device()).height();
}

void TCanvas::TextOut(int x, int y, const QString &text)
{
    const QFontMetrics metrics(m_font, m_painter.device());
    m_painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), m_brush);
    m_painter.save();
    m_painter.setFont(m_font);
    m_painter.setPen(m_fontColor);
    m_painter.drawText(x, y + metrics.ascent(), text);
    m_painter.restore();
}

void TCanvas::TextRect(const QRect &rect, int x, int y, const QString &text)
{
    m_painter.fillRect(rect, m_brush);
    m_painter.save();
    m_painter.setClipRect(rect, Qt::IntersectClip);
    m_painter.setFont(m_font);
    m_painter.setPen(m_fontColor);
    m_painter.drawText(x, y + QFontMetrics(m_font, m_painter.device()).ascent(), text);
    m_painter.restore();
}

void TCanvas::FillRect(const QRect &rect)
{
    m_painter.fillRect(rect, m_brush);
}

namespace {

// Every pixel of the rectangle's border exactly once, so that inverting them
// twice gives back the original; every other one, for the dotted look.
QPolygon dottedBorder(const QRect &rect)
{
    QPolygon points;
    const int left = rect.left(), top = rect.top(), right = rect.right(), bottom = rect.bottom();
    const auto add = [&points](int x, int y) {
        if ((x + y) % 2 == 0)
            points << QPoint(x, y);
    };
    for (int x = left; x <= right; ++x) {
        add(x, top);
        if (bottom > top)
            add(x, bottom);
    }
    for (int y = top + 1; y < bottom; ++y) {
        add(left, y);
        if (right > left)
            add(right, y);
    }
    return points;
}

}  // namespace

void TCanvas::DrawFocusRect(const QRect &rect)
{
    if (rect.isEmpty())
        return;
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    m_painter.setPen(QPen(QColor(Qt::white), 0));
    m_painter.drawPoints(dottedBorder(rect));
    m_painter.restore();
}

void TCanvas::BrushCopy(const QRect &dest, const QImage &bitmap, const QRect &source, const QColor &transparent)
{
    // Outside the bitmap copy() yields fully transparent pixels, which leave
    // the canvas untouched.
    QImage piece = bitmap.convertToFormat(QImage::Format_ARGB32).copy(source);
    const QRgb key = transparent.rgb();
    const QRgb fill = m_brush.rgb();
    for (int y = 0; y < piece.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(piece.scanLine(y));
        for (int x = 0; x < piece.width(); ++x) {
            if (line[x] == key)
                line[x] = fill;
        }
    }
    m_painter.drawImage(dest.topLeft(), piece, QRect(0, 0, dest.width(), dest.height()));
}

void TCanvas::BrushCopy(const QRect &dest, const QPixmap &bitmap, const QRect &source, const QColor &transparent)
{
    BrushCopy(dest, bitmap.toImage(), source, transparent);
}
