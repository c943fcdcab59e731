#include "codelist.h"

#include "serviceerror.h"

namespace commission {

namespace {

bool isCodeCharacter(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
           || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

}  // namespace

QStringList CodeList::parse(const QString &text, int maxCodeLength, const QString &listName)
{
    if (text.isEmpty())
        return {};
    // Checked before splitting, so a huge string is refused without work.
    if (text.size() > maxCodes * (maxCodeLength + 1))
        throw ServiceError::badRequest(QStringLiteral("Lista de %1 longa demais.").arg(listName));

    const QStringList codes = text.split(QLatin1Char(';'));
    if (codes.size() > maxCodes)
        throw ServiceError::badRequest(
            QStringLiteral("Lista de %1 com mais de %2 códigos.").arg(listName).arg(maxCodes));
    QStringList unique;
    for (const QString &code : codes) {
        if (!isCode(code, maxCodeLength))
            throw ServiceError::badRequest(QStringLiteral("Lista de %1 inválida: códigos de até %2 letras ou dígitos "
                                                          "separados por \";\".")
                                               .arg(listName)
                                               .arg(maxCodeLength));
        if (!unique.contains(code))
            unique.append(code);
    }
    return unique;
}

bool CodeList::isCode(const QString &text, int maxLength)
{
    return !text.isEmpty() && text.size() <= maxLength && std::all_of(text.begin(), text.end(), isCodeCharacter);
}

}  // namespace commission
