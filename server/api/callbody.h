#pragma once

#include <QByteArray>
#include <QHash>

#include <functional>

namespace commission {

// The body of a call, split so that the rows of a large packet are never
// held twice. A quotes packet is almost all rows; parsed whole into a JSON
// document it takes four to five times its text. Here the text is only
// scanned: the rows of each packet argument ({"args": [{"value": {"rows":
// [...]}}]}) are cut out and left as text, the rest (the skeleton) is small
// and parsed as usual, and the rows are parsed one at a time when read.
//
// The split only finds where values end; it never decides what is valid
// JSON. The skeleton and every row are parsed strictly afterwards, so a body
// is accepted only when all its parts are valid. When anything looks unusual
// (a repeated key, a truncated value) nothing is cut out and the body is
// parsed whole.
class CallBody {
public:
    // `text` is not copied: it must outlive this object and every row text
    // taken from it.
    explicit CallBody(const QByteArray &text);

    const QByteArray &skeleton() const { return m_skeleton; }
    // The rows of the packet in argument `index` as the text of a JSON list,
    // or empty when they were not cut out (they are then in the skeleton).
    QByteArray rows(int index) const { return m_rows.value(index); }

    // The text of each element of a JSON list, in order; false when the
    // list is malformed.
    static bool forEachElement(const QByteArray &list, const std::function<void(const QByteArray &)> &visit);
    // The elements of a JSON list in batches of up to `size`, each batch as
    // the text of a list of its own; false when the list is malformed.
    static bool forEachBatch(const QByteArray &list, int size, const std::function<void(const QByteArray &)> &visit);

private:
    bool split(const QByteArray &text);

    QByteArray m_skeleton;
    QHash<int, QByteArray> m_rows;
};

}  // namespace commission
