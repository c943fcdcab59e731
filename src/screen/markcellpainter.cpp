#include "markcellpainter.h"

#include "tcanvas.h"

#include <QRect>

#include <stdexcept>

// Registers the pictures once. The resources are compiled into the static
// module library, whose linker would otherwise leave them out of programs
// that link it.
static void registerCheckBoxResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(checkboxes);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace {

QImage picture(const QString &path)
{
    QImage image(path);
    if (image.isNull())
        throw std::runtime_error(QStringLiteral("Figura não encontrada: %1").arg(path).toStdString());
    return image;
}

}  // namespace

CheckBoxImages CheckBoxImages::fromResources()
{
    registerCheckBoxResources();
    return {picture(QStringLiteral(":/screen/imgcheck.png")), picture(QStringLiteral(":/screen/imguncheck.png")),
            picture(QStringLiteral(":/screen/imgdescheck.png"))};
}

MarkCellPainter::MarkCellPainter(CheckBoxImages images) : m_images(std::move(images)) {}

QColor MarkCellPainter::transparentColour()
{
    return QColor(128, 128, 0);
}

const QImage &MarkCellPainter::pictureFor(const QString &mark) const
{
    if (mark == QLatin1String("N"))
        return m_images.uncheck;
    if (mark == QLatin1String("S"))
        return m_images.check;
    return m_images.descheck;
}

void MarkCellPainter::paint(TCanvas &canvas, const QRect &rect, const QString &mark) const
{
    const QImage &bitmap = pictureFor(mark);
    canvas.FillRect(rect);
    const int width = bitmap.width();
    const int height = rect.height();
    canvas.BrushCopy(QRect(rect.left() + 1, rect.top(), width, height), bitmap, QRect(0, 0, width, height),
                     transparentColour());
}
