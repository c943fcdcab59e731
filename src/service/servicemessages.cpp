#include "servicemessages.h"

#include "hostoperations.h"
#include "tmessages.h"

namespace {

const QString parameterKeyMark = QStringLiteral("N_PARAM_");
const QChar detailSeparator = QLatin1Char('|');

// Shown for a key the catalogue has no text for: the key (and the detail)
// is what the user can pass on to whoever keeps the server.
QString unknownKeyText(const QString &key, const QString &detail)
{
    const QString named = detail.isEmpty() ? key : QStringLiteral("%1: %2").arg(key, detail);
    return QStringLiteral("O servidor recusou a operação (%1).").arg(named);
}

}  // namespace

ServiceMessages::ServiceMessages(const TMessages &catalogue) : m_catalogue(catalogue) {}

bool ServiceMessages::namesParameterKey(const QString &errorText)
{
    return errorText.contains(parameterKeyMark);
}

QString ServiceMessages::refusal(const QString &key) const
{
    const QString trimmed = key.trimmed();
    const QString text = m_catalogue.Msg(trimmed);
    return EmptyString(text) ? unknownKeyText(trimmed, QString()) : text;
}

QString ServiceMessages::parameterError(const QString &errorText) const
{
    const qsizetype separator = errorText.indexOf(detailSeparator);
    if (separator < 0)
        return refusal(errorText);
    const QString key = errorText.left(separator).trimmed();
    const QString detail = errorText.mid(separator + 1);
    const QString text = m_catalogue.Msg(key);
    return EmptyString(text) ? unknownKeyText(key, detail) : format(text, detail);
}

QString ServiceMessages::format(const QString &text, const QString &detail)
{
    QString result;
    result.reserve(text.size() + detail.size());
    bool detailUsed = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (text.at(i) != QLatin1Char('%') || (next != QLatin1Char('s') && next != QLatin1Char('%'))) {
            result.append(text.at(i));
            continue;
        }
        ++i;
        if (next == QLatin1Char('%')) {
            result.append(QLatin1Char('%'));
        } else if (!detailUsed) {
            result.append(detail);
            detailUsed = true;
        }
    }
    return result;
}
