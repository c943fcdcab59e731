#include "statementpages.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <numeric>

namespace {

using Document = StatementPages::Document;
using Paragraph = StatementPages::Paragraph;
using Table = StatementPages::Table;
using Row = StatementPages::Row;

constexpr double bodyPoints = 8;
constexpr double titlePoints = 14;
constexpr double footPoints = 7.5;

// One pass over the document: without a painter it only counts the pages.
class Flow {
public:
    Flow(const Document &document, QPagedPaintDevice &device, QPainter *painter, int pageCount)
        : m_document(document), m_device(device), m_painter(painter), m_pageCount(pageCount),
          m_page(0, 0, device.width(), device.height())
    {
    }

    int run()
    {
        startPage();
        for (const StatementPages::Block &block : m_document.body) {
            if (const auto *paragraph = std::get_if<Paragraph>(&block))
                place(*paragraph);
            else
                place(std::get<Table>(block));
        }
        endPage();
        return m_pageNumber;
    }

private:
    double points(double size) const { return size * m_device.logicalDpiY() / 72.0; }

    QFont font(double size, bool bold) const
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setStyleHint(QFont::SansSerif);
        // No ligatures: the text read back from the page is the text written.
        font.setStyleStrategy(QFont::PreferNoShaping);
        // Measured as the page draws it, without a screen's hinting.
        font.setHintingPreference(QFont::PreferNoHinting);
        font.setPointSizeF(size);
        font.setBold(bold);
        return font;
    }

    QFontMetricsF metrics(const QFont &font) const { return QFontMetricsF(font, &m_device); }

    double textHeight(const QFont &font, double width, const QString &text, bool wrap) const
    {
        if (!wrap)
            return metrics(font).height();
        return metrics(font).boundingRect(QRectF(0, 0, width, 1e7), Qt::TextWordWrap, text).height();
    }

    void text(const QFont &font, const QRectF &rect, int flags, const QString &text) const
    {
        if (m_painter == nullptr)
            return;
        m_painter->setFont(font);
        m_painter->drawText(rect, flags, text);
    }

    void rule(double y, double left, double right) const
    {
        if (m_painter != nullptr)
            m_painter->drawLine(QPointF(left, y), QPointF(right, y));
    }

    double footHeight() const { return metrics(font(footPoints, false)).height() + points(6); }
    double bottom() const { return m_page.bottom() - footHeight(); }

    void startPage()
    {
        ++m_pageNumber;
        m_y = m_page.top();
        const QFont title = font(titlePoints, true);
        text(title, QRectF(m_page.left(), m_y, m_page.width(), metrics(title).height()), Qt::AlignLeft,
             m_document.title);
        m_y += metrics(title).height() + points(2);
        const QFont line = font(bodyPoints, false);
        for (const QString &heading : m_document.heading) {
            const double height = textHeight(line, m_page.width(), heading, true);
            text(line, QRectF(m_page.left(), m_y, m_page.width(), height), Qt::TextWordWrap, heading);
            m_y += height;
        }
        m_y += points(3);
        rule(m_y, m_page.left(), m_page.right());
        m_y += points(6);
        m_bodyTop = m_y;
    }

    void endPage()
    {
        const QFont foot = font(footPoints, false);
        const double top = m_page.bottom() - metrics(foot).height();
        rule(top - points(3), m_page.left(), m_page.right());
        const QRectF line(m_page.left(), top, m_page.width(), metrics(foot).height());
        text(foot, line, Qt::AlignLeft | Qt::TextSingleLine, m_document.foot);
        text(foot, line, Qt::AlignRight | Qt::TextSingleLine,
             QStringLiteral("página %1 de %2").arg(m_pageNumber).arg(m_pageCount));
    }

    // A new page when `height` does not fit below what the page holds.
    bool makeRoom(double height)
    {
        if (m_y + height <= bottom() || m_y <= m_bodyTop)
            return false;
        endPage();
        if (m_painter != nullptr)
            m_device.newPage();
        startPage();
        return true;
    }

    void place(const Paragraph &paragraph)
    {
        const QFont face = font(paragraph.pointSize, paragraph.bold);
        const double height = textHeight(face, m_page.width(), paragraph.text, true);
        m_y += points(paragraph.spaceBefore);
        makeRoom(height);
        text(face, QRectF(m_page.left(), m_y, m_page.width(), height), Qt::TextWordWrap, paragraph.text);
        m_y += height;
    }

    // The column each cell of the row falls in.
    static int columnOf(const Row &row, int cell) { return cell == 0 ? 0 : cell + row.span - 1; }

    double padding() const { return points(2); }

    QVector<double> widths(const Table &table) const
    {
        const int count = int(table.columns.size());
        const double pad = 2 * padding() + points(0.5);  // and a little room for rounding
        const QFontMetricsF titles = metrics(font(bodyPoints, true));
        // What the values need, and what the titles need on one line and on
        // as many lines as they have words.
        QVector<double> values(count, 0), titleLine(count, 0), titleWords(count, 0);
        for (int column = 0; column < count; ++column) {
            const QString &title = table.columns[column].title;
            titleLine[column] = titles.horizontalAdvance(title) + pad;
            for (const QString &word : title.split(QLatin1Char(' ')))
                titleWords[column] = std::max(titleWords[column], titles.horizontalAdvance(word) + pad);
        }
        for (const Row &row : table.rows) {
            const QFontMetricsF face = metrics(font(bodyPoints, row.bold));
            for (int cell = row.span > 1 ? 1 : 0; cell < row.cells.size(); ++cell) {
                const int column = columnOf(row, cell);
                if (column < count)
                    values[column] = std::max(values[column], face.horizontalAdvance(row.cells[cell]) + pad);
            }
        }
        const auto stretching = std::find_if(table.columns.cbegin(), table.columns.cend(),
                                             [](const StatementPages::Column &column) { return column.stretch; });
        const int stretch = stretching == table.columns.cend() ? -1 : int(stretching - table.columns.cbegin());
        const auto fixedWidths = [&](const QVector<double> &title) {
            QVector<double> result(count, 0);
            for (int column = 0; column < count; ++column)
                result[column] = column == stretch ? 0 : std::max(values[column], title[column]);
            return result;
        };
        // Titles wrap before the stretching column's values do.
        QVector<double> result = fixedWidths(titleLine);
        const double wanted = stretch >= 0 ? values[stretch] : 0;
        if (std::accumulate(result.cbegin(), result.cend(), 0.0) + wanted > m_page.width()) {
            result = fixedWidths(titleWords);
            // What the stretching column does not need puts titles back on one line.
            double spare = m_page.width() - wanted - std::accumulate(result.cbegin(), result.cend(), 0.0);
            for (int column = 0; column < count; ++column) {
                const double more = column == stretch ? 0 : std::max(0.0, titleLine[column] - result[column]);
                if (more > 0 && more <= spare) {
                    result[column] += more;
                    spare -= more;
                }
            }
        }
        if (stretch >= 0)
            result[stretch] =
                std::max(titleWords[stretch], m_page.width() - std::accumulate(result.cbegin(), result.cend(), 0.0));
        return result;
    }

    struct Cell {
        QString text;
        double left = 0, width = 0;
        bool number = false, wrap = false;
    };

    QVector<Cell> cellsOf(const Table &table, const Row &row, const QVector<double> &widths) const
    {
        QVector<double> lefts(widths.size() + 1, m_page.left());
        for (int column = 0; column < widths.size(); ++column)
            lefts[column + 1] = lefts[column] + widths[column];
        QVector<Cell> cells;
        for (int cell = 0; cell < row.cells.size(); ++cell) {
            const int first = cell == 0 ? 0 : columnOf(row, cell);
            const int last = cell == 0 ? row.span - 1 : first;
            if (last >= widths.size())
                break;
            const StatementPages::Column &column = table.columns[first];
            const bool spanned = last > first;
            cells.append({row.cells[cell], lefts[first], lefts[last + 1] - lefts[first], column.number && !spanned,
                          column.stretch || spanned});
        }
        return cells;
    }

    double rowHeight(const QFont &face, const QVector<Cell> &cells) const
    {
        double height = metrics(face).height();
        for (const Cell &cell : cells)
            height = std::max(height, textHeight(face, cell.width - 2 * padding(), cell.text, cell.wrap));
        return height + points(3);
    }

    void paintRow(const QFont &face, const QVector<Cell> &cells, double height) const
    {
        for (const Cell &cell : cells) {
            const int flags = (cell.number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop
                              | (cell.wrap ? Qt::TextWordWrap : Qt::TextSingleLine);
            text(face, QRectF(cell.left + padding(), m_y + points(1.5), cell.width - 2 * padding(), height), flags,
                 cell.text);
        }
    }

    void titles(const Table &table, const QVector<double> &widths)
    {
        Row titleRow;
        for (const StatementPages::Column &column : table.columns)
            titleRow.cells.append(column.title);
        QVector<Cell> cells = cellsOf(table, titleRow, widths);
        for (Cell &cell : cells)
            cell.wrap = true;
        const QFont face = font(bodyPoints, true);
        const double height = rowHeight(face, cells);
        makeRoom(2 * height);
        const double right = m_page.left() + std::accumulate(widths.cbegin(), widths.cend(), 0.0);
        rule(m_y, m_page.left(), right);
        paintRow(face, cells, height);
        m_y += height;
        rule(m_y, m_page.left(), right);
    }

    void place(const Table &table)
    {
        const QVector<double> columnWidths = widths(table);
        const double right = m_page.left() + std::accumulate(columnWidths.cbegin(), columnWidths.cend(), 0.0);
        titles(table, columnWidths);
        for (const Row &row : table.rows) {
            const QFont face = font(bodyPoints, row.bold);
            const QVector<Cell> cells = cellsOf(table, row, columnWidths);
            const double height = rowHeight(face, cells);
            if (makeRoom(height))
                titles(table, columnWidths);
            if (row.ruleAbove)
                rule(m_y, m_page.left(), right);
            paintRow(face, cells, height);
            m_y += height;
        }
        rule(m_y, m_page.left(), right);
        m_y += points(4);
    }

    const Document &m_document;
    QPagedPaintDevice &m_device;
    QPainter *m_painter;
    int m_pageCount;
    QRectF m_page;
    int m_pageNumber = 0;
    double m_y = 0;
    double m_bodyTop = 0;
};

}  // namespace

bool StatementPages::paint(const Document &document, QPagedPaintDevice &device)
{
    const int pages = Flow(document, device, nullptr, 0).run();
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setPen(QPen(Qt::black, 0));
    Flow(document, device, &painter, pages).run();
    return painter.end();
}
