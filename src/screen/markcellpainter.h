#pragma once

#include <QColor>
#include <QImage>
#include <QString>

class QRect;
class TCanvas;

// The pictures of the mark column, as the screen's three hidden image
// components hold them.
struct CheckBoxImages {
    QImage check;     // white box with a black tick: marked ("S")
    QImage uncheck;   // white box: not marked ("N")
    QImage descheck;  // silver box: any other value, empty or absent

    // The pictures shipped with the screen (:/screen/imgcheck.png and its two
    // companions).
    static CheckBoxImages fromResources();
};

// The mark cell of the quote grid: only the check box picture for the mark,
// one pixel in from the cell's left, flush with its top, on the cell's
// background; the picture's olive pixels take the background colour.
class MarkCellPainter {
public:
    explicit MarkCellPainter(CheckBoxImages images);

    // The colour that stands for "transparent" in the pictures.
    static QColor transparentColour();

    void paint(TCanvas &canvas, const QRect &rect, const QString &mark) const;

private:
    const QImage &pictureFor(const QString &mark) const;

    CheckBoxImages m_images;
};
