#include "fielddef.h"

#include "daycount.h"

#include <QDateTime>
#include <QLocale>

QString FieldDef::editText(const QVariant &value) const
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (kind) {
    case packet::FieldKind::Float: {
        QLocale locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale.toString(value.toDouble(), 'g', 15);
    }
    case packet::FieldKind::DateTime: {
        const bool dayCount = value.typeId() != QMetaType::QDateTime && value.typeId() != QMetaType::QDate;
        const QDateTime moment = dayCount ? packet::dateTimeFromDayCount(value.toDouble()) : value.toDateTime();
        if (!moment.isValid())
            return QString();
        return moment.time() == QTime(0, 0) ? moment.toString(QStringLiteral("dd/MM/yyyy"))
                                            : moment.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    }
    case packet::FieldKind::Text:
    case packet::FieldKind::FixedText:
        break;
    }
    return value.toString();
}
