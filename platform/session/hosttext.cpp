#include "hosttext.h"

namespace {

// Characters that an empty date or time mask shows besides blanks.
bool isMaskLiteral(QChar character)
{
    return character == QLatin1Char('/') || character == QLatin1Char(':') || character == QLatin1Char('.')
           || character == QLatin1Char('-');
}

}  // namespace

bool EmptyString(const QString &text)
{
    for (const QChar character : text) {
        if (!character.isSpace() && !isMaskLiteral(character))
            return false;
    }
    return true;
}

QString Ajusta(const QString &text, int width)
{
    const QString trimmed = text.trimmed();
    return trimmed.size() >= width ? trimmed : trimmed.rightJustified(width, QLatin1Char('0'));
}
