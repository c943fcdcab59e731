#include "tmessages.h"

TMessages::TMessages(QObject *parent) : QObject(parent) {}

void TMessages::setLines(const QStringList &lines)
{
    m_lines = lines;
    m_texts.clear();
    for (const QString &line : lines) {
        // The key ends at the first bar; the text keeps everything after it,
        // blanks and further bars included. A repeated key keeps its first text.
        const qsizetype bar = line.indexOf(QLatin1Char('|'));
        const QString key = bar < 0 ? line : line.left(bar);
        if (!m_texts.contains(key))
            m_texts.insert(key, bar < 0 ? QString() : line.mid(bar + 1));
    }
}

QStringList TMessages::lines() const
{
    return m_lines;
}

bool TMessages::Contains(const QString &key) const
{
    return m_texts.contains(key);
}

QString TMessages::Msg(const QString &key) const
{
    return m_texts.value(key);
}
