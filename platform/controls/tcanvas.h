#pragma once

#include "controls_export.h"

#include <QColor>
#include <QFont>
#include <QRect>

class QImage;
class QPainter;
class QPixmap;

// The drawing operations that owner-drawing handlers use, over a painter that
// is already active (the grid hands one to its draw handler). The brush colour
// fills backgrounds, the font and font colour draw text. Rectangles are the
// cell's own QRect; RightOf/BottomOf give their exclusive right and bottom
// edges (x + width, y + height), the edges that cell arithmetic is done from.
class CONTROLS_EXPORT TCanvas {
public:
    // Takes brush colour, font and font colour from the painter's current state.
    explicit TCanvas(QPainter &painter);

    QColor brushColor() const;
    void setBrushColor(const QColor &color);
    QFont font() const;
    void setFont(const QFont &font);
    QColor fontColor() const;
    void setFontColor(const QColor &color);

    // Pixel width of the text in the current font.
    int TextWidth(const QString &text) const;
    // Height of one line of text in the current font.
    int TextHeight() const;
    // Text with its top-left corner at (x, y); the box behind the glyphs is
    // filled with the brush colour first.
    void TextOut(int x, int y, const QString &text);
    // Fills the rectangle with the brush colour, then draws the text with its
    // top-left corner at (x, y), clipped to the rectangle.
    void TextRect(const QRect &rect, int x, int y, const QString &text);
    void FillRect(const QRect &rect);
    // The dotted focus rectangle along the rectangle's border, drawn by
    // inverting pixels: drawing it twice restores what was there.
    void DrawFocusRect(const QRect &rect);
    // Copies the source rectangle of the bitmap to the destination rectangle
    // (same size), with every pixel of `transparent` replaced by the brush
    // colour. Parts of the source outside the bitmap leave the canvas as it is.
    void BrushCopy(const QRect &dest, const QImage &bitmap, const QRect &source, const QColor &transparent);
    void BrushCopy(const QRect &dest, const QPixmap &bitmap, const QRect &source, const QColor &transparent);

    static int RightOf(const QRect &rect) { return rect.x() + rect.width(); }
    static int BottomOf(const QRect &rect) { return rect.y() + rect.height(); }

private:
    QPainter &m_painter;
    QColor m_brush;
    QFont m_font;
    QColor m_fontColor;
};
