#include "callbody.h"

#include <QList>

namespace commission {

namespace {

struct Cut {
    int argument;
    qsizetype begin;
    qsizetype end;
};

class Scanner {
public:
    explicit Scanner(const QByteArray &text) : m_text(text.constData()), m_size(text.size()) {}

    qsizetype skipSpace(qsizetype at) const
    {
        while (at < m_size && (m_text[at] == ' ' || m_text[at] == '\t' || m_text[at] == '\n' || m_text[at] == '\r'))
            ++at;
        return at;
    }

    char at(qsizetype index) const { return index < m_size ? m_text[index] : '\0'; }

    // Past the closing quote of the string that starts at `at`, or -1.
    qsizetype skipString(qsizetype at) const
    {
        for (qsizetype i = at + 1; i < m_size; ++i) {
            if (m_text[i] == '\\')
                ++i;
            else if (m_text[i] == '"')
                return i + 1;
        }
        return -1;
    }

    // Past the value that starts at `at` (no blanks before it), or -1.
    qsizetype skipValue(qsizetype at) const
    {
        if (at >= m_size)
            return -1;
        const char first = m_text[at];
        if (first == '"')
            return skipString(at);
        if (first == '{' || first == '[') {
            int depth = 0;
            for (qsizetype i = at; i < m_size; ++i) {
                const char c = m_text[i];
                if (c == '"') {
                    i = skipString(i);
                    if (i < 0)
                        return -1;
                    --i;
                } else if (c == '{' || c == '[') {
                    ++depth;
                } else if (c == '}' || c == ']') {
                    if (--depth == 0)
                        return i + 1;
                }
            }
            return -1;
        }
        qsizetype i = at;
        while (i < m_size && !QByteArrayView(",]} \t\r\n").contains(m_text[i]))
            ++i;
        return i > at ? i : -1;
    }

    // Calls `member(key, valueStart)` for each member of the object that
    // starts at `at`; `member` answers where the value ends (-1: give up).
    // Past the object, or -1.
    template <typename Member>
    qsizetype forEachMember(qsizetype at, Member member) const
    {
        if (this->at(at) != '{')
            return -1;
        qsizetype i = skipSpace(at + 1);
        if (this->at(i) == '}')
            return i + 1;
        for (;;) {
            if (this->at(i) != '"')
                return -1;
            const qsizetype keyEnd = skipString(i);
            if (keyEnd < 0)
                return -1;
            const QByteArrayView key(m_text + i + 1, keyEnd - i - 2);
            i = skipSpace(keyEnd);
            if (this->at(i) != ':')
                return -1;
            i = member(key, skipSpace(i + 1));
            if (i < 0)
                return -1;
            i = skipSpace(i);
            if (this->at(i) == '}')
                return i + 1;
            if (this->at(i) != ',')
                return -1;
            i = skipSpace(i + 1);
        }
    }

    // The same for the elements of the list that starts at `at`.
    template <typename Element>
    qsizetype forEachElement(qsizetype at, Element element) const
    {
        if (this->at(at) != '[')
            return -1;
        qsizetype i = skipSpace(at + 1);
        if (this->at(i) == ']')
            return i + 1;
        for (int index = 0;; ++index) {
            i = element(index, i);
            if (i < 0)
                return -1;
            i = skipSpace(i);
            if (this->at(i) == ']')
                return i + 1;
            if (this->at(i) != ',')
                return -1;
            i = skipSpace(i + 1);
        }
    }

private:
    const char *m_text;
    qsizetype m_size;
};

}  // namespace

CallBody::CallBody(const QByteArray &text)
{
    if (!split(text)) {
        m_rows.clear();
        m_skeleton = QByteArray::fromRawData(text.constData(), text.size());
    }
}

bool CallBody::split(const QByteArray &text)
{
    const Scanner scan(text);
    QList<Cut> cuts;
    bool unusual = false;
    int argsSeen = 0;
    const auto valueEnd = [&](qsizetype at) { return scan.skipValue(at); };

    const auto packetMember = [&](int argument, int &rowsSeen) {
        return [&, argument](QByteArrayView key, qsizetype at) {
            const qsizetype end = valueEnd(at);
            if (key == "rows" && scan.at(at) == '[' && end > 0) {
                unusual |= ++rowsSeen > 1;
                cuts.append(Cut{argument, at, end});
            }
            return end;
        };
    };
    const auto argumentMember = [&](int argument, int &valuesSeen, int &rowsSeen) {
        return [&, argument](QByteArrayView key, qsizetype at) {
            if (key == "value" && scan.at(at) == '{') {
                unusual |= ++valuesSeen > 1;
                return scan.forEachMember(at, packetMember(argument, rowsSeen));
            }
            return valueEnd(at);
        };
    };
    const qsizetype end = scan.forEachMember(scan.skipSpace(0), [&](QByteArrayView key, qsizetype at) {
        if (key != "args" || scan.at(at) != '[')
            return valueEnd(at);
        unusual |= ++argsSeen > 1;
        return scan.forEachElement(at, [&](int index, qsizetype element) {
            if (scan.at(element) != '{')
                return valueEnd(element);
            int valuesSeen = 0;
            int rowsSeen = 0;
            return scan.forEachMember(element, argumentMember(index, valuesSeen, rowsSeen));
        });
    });
    if (end < 0 || unusual || scan.skipSpace(end) != text.size())
        return false;

    qsizetype copied = 0;
    for (const Cut &cut : std::as_const(cuts)) {
        m_skeleton.append(text.constData() + copied, cut.begin - copied);
        m_skeleton.append("[]");
        m_rows.insert(cut.argument, QByteArray::fromRawData(text.constData() + cut.begin, cut.end - cut.begin));
        copied = cut.end;
    }
    m_skeleton.append(text.constData() + copied, text.size() - copied);
    return true;
}

bool CallBody::forEachElement(const QByteArray &list, const std::function<void(const QByteArray &)> &visit)
{
    const Scanner scan(list);
    const qsizetype end = scan.forEachElement(scan.skipSpace(0), [&](int, qsizetype at) {
        const qsizetype elementEnd = scan.skipValue(at);
        if (elementEnd > 0)
            visit(QByteArray::fromRawData(list.constData() + at, elementEnd - at));
        return elementEnd;
    });
    return end > 0 && scan.skipSpace(end) == list.size();
}

bool CallBody::forEachBatch(const QByteArray &list, int size, const std::function<void(const QByteArray &)> &visit)
{
    const Scanner scan(list);
    qsizetype batchBegin = -1;
    qsizetype batchEnd = -1;
    int inBatch = 0;
    const auto flush = [&] {
        if (inBatch == 0)
            return;
        QByteArray batch;
        batch.reserve(batchEnd - batchBegin + 2);
        batch.append('[').append(list.constData() + batchBegin, batchEnd - batchBegin).append(']');
        visit(batch);
        inBatch = 0;
    };
    const qsizetype end = scan.forEachElement(scan.skipSpace(0), [&](int, qsizetype at) {
        const qsizetype elementEnd = scan.skipValue(at);
        if (elementEnd < 0)
            return elementEnd;
        if (inBatch == 0)
            batchBegin = at;
        batchEnd = elementEnd;
        if (++inBatch == size)
            flush();
        return elementEnd;
    });
    if (end < 0 || scan.skipSpace(end) != list.size())
        return false;
    flush();
    return true;
}

}  // namespace commission
