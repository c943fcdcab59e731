#include "searchtext.h"

SearchText::SearchText(const QString &wanted) : m_wanted(comparable(wanted.trimmed())) {}

bool SearchText::isEmpty() const
{
    return m_wanted.isEmpty();
}

bool SearchText::foundIn(const QString &text) const
{
    return m_wanted.isEmpty() || comparable(text).contains(m_wanted);
}

QString SearchText::comparable(const QString &text)
{
    // Decomposed, an accented letter is its base letter followed by the
    // accent as a combining mark, which is then left out.
    const QString decomposed = text.toCaseFolded().normalized(QString::NormalizationForm_D);
    QString plain;
    plain.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            plain.append(c);
    }
    return plain;
}
