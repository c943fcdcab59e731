#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <variant>

class QPagedPaintDevice;

// A printed document laid out page by page: the same heading at the top of
// every page, a foot line with "página N de M", and below the heading
// paragraphs and tables flowing from page to page. A table that goes on to
// another page repeats its column titles there. Number columns are as wide
// as their widest value and right-aligned; the stretching column takes the
// width left and is the only one that wraps. The pages are laid out twice:
// once to count them, then to paint them.
class StatementPages {
public:
    struct Paragraph {
        QString text;
        bool bold = false;
        double pointSize = 8;
        double spaceBefore = 0;  // in points
    };
    struct Column {
        QString title;
        bool number = false;   // right-aligned, never wrapped
        bool stretch = false;  // takes the spare width; wraps when narrow
    };
    struct Row {
        QStringList cells;
        bool bold = false;
        // The first cell spans this many columns (a total's label); the
        // columns it covers have no cell of their own.
        int span = 1;
        bool ruleAbove = false;
    };
    struct Table {
        QVector<Column> columns;
        QVector<Row> rows;
    };
    using Block = std::variant<Paragraph, Table>;

    struct Document {
        QString title;        // the heading's first line, larger
        QStringList heading;  // the heading's further lines
        QString foot;         // left of the page number
        QVector<Block> body;
    };

    // Paints the document on `device`, which is ready to take it (page size
    // and margins set); false when the device refuses to be painted on.
    static bool paint(const Document &document, QPagedPaintDevice &device);
};
