#include "tadoibquery.h"

#include "connectionstring.h"
#include "databasefailure.h"
#include "daycount.h"
#include "packet.h"
#include "session.h"
#include "tdtmdbgeral.h"

#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

[[noreturn]] void fail(const QString &message)
{
    throw database::DatabaseError(message.toStdString());
}

// A statement the shared database refused, told in the operator's words.
[[noreturn]] void failed(const QSqlError &error)
{
    database::DatabaseFailure::raise(error, database::ConnectionString::parse(Session::values().database));
}

QString paramKey(const QString &name)
{
    return (name.startsWith(QLatin1Char(':')) ? name.mid(1) : name).toUpper();
}

// The placeholders (":NAME") of the text as spelled there, each once, leaving
// out quoted literals and PostgreSQL casts ("::").
QStringList placeholders(const QString &text)
{
    static const QRegularExpression quoted(QStringLiteral("'(?:[^']|'')*'"));
    static const QRegularExpression named(QStringLiteral("(?<![:\\w]):([A-Za-z_][A-Za-z0-9_]*)"));
    QString outsideQuotes = text;
    outsideQuotes.replace(quoted, QStringLiteral("''"));
    QStringList names;
    QSet<QString> seen;
    for (auto match = named.globalMatch(outsideQuotes); match.hasNext();) {
        const QString name = match.next().captured(1);
        if (!seen.contains(name.toUpper())) {
            seen.insert(name.toUpper());
            names << name;
        }
    }
    return names;
}

double dayCountOf(const QVariant &value, const QString &field)
{
    if (value.typeId() == QMetaType::QDate)
        return packet::toDayCount(value.toDate());
    if (value.typeId() == QMetaType::QDateTime)
        return packet::toDayCount(value.toDateTime());
    const QString text = value.toString().trimmed();
    const QDateTime moment = QDateTime::fromString(text, Qt::ISODate);
    if (moment.isValid())
        return packet::toDayCount(moment);
    const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    if (date.isValid())
        return packet::toDayCount(date);
    fail(QStringLiteral("Valor de data inválido no campo %1: %2").arg(field, text));
}

QVariant fieldValue(const QVariant &value, const FieldDef &field)
{
    if (value.isNull())
        return QVariant();
    switch (field.kind) {
    case packet::FieldKind::Text:
    case packet::FieldKind::FixedText:
        return value.toString();
    case packet::FieldKind::Float: {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok)
            fail(QStringLiteral("Valor numérico inválido no campo %1: %2").arg(field.name, value.toString()));
        return number;
    }
    case packet::FieldKind::DateTime:
        return dayCountOf(value, field.name);
    }
    return QVariant();
}

}  // namespace

// Without declared fields every column becomes a text field named in upper
// case, as wide as its longest value and at least 255 characters, so that a
// later Open with somewhat longer values still fits.
void TADOIBQuery::declareColumns(const QSqlRecord &record, const QVector<QVector<QVariant>> &rows)
{
    for (int column = 0; column < record.count(); ++column) {
        int width = 255;
        for (const QVector<QVariant> &row : rows)
            width = qMax(width, int(row[column].toString().size()));
        addField(FieldDef{.name = record.fieldName(column).toUpper(), .kind = packet::FieldKind::Text, .size = width});
    }
}

TADOIBQuery::TADOIBQuery(QObject *parent) : TClientDataSet(parent) {}

TADOIBQuery::Param &TADOIBQuery::ParamByName(const QString &name)
{
    return m_params[paramKey(name)];
}

void TADOIBQuery::Open()
{
    if (Active())
        Close();
    const QString text = SQL.join(QLatin1Char('\n'));
    QSqlDatabase connection = dtmDBGeral().adcGeral();
    packet::Packet result;
    {
        QSqlQuery query(connection);
        query.setForwardOnly(true);
        if (!query.prepare(text))
            failed(query.lastError());
        // Values are always bound, never pasted into the text. A parameter
        // that was never set is bound as null.
        for (const QString &name : placeholders(text)) {
            const auto found = m_params.constFind(paramKey(name));
            const QVariant value = found != m_params.cend() ? found->value : QVariant(QMetaType(QMetaType::QString));
            query.bindValue(QLatin1Char(':') + name, value);
        }
        if (!query.exec())
            failed(query.lastError());

        const QSqlRecord record = query.record();
        QVector<QVector<QVariant>> rows;
        while (query.next()) {
            QVector<QVariant> row;
            row.reserve(record.count());
            for (int i = 0; i < record.count(); ++i)
                row << query.value(i);
            rows << row;
        }
        if (query.lastError().isValid())
            failed(query.lastError());
        if (fields().isEmpty())
            declareColumns(record, rows);

        // Column names are matched without regard to case: PostgreSQL folds
        // unquoted names to lower case, SQLite keeps the spelling of the text.
        QVector<int> columnOf;
        for (const FieldDef &field : fields()) {
            const int column = record.indexOf(field.name);
            if (column < 0)
                fail(QStringLiteral("Campo %1 não encontrado no resultado da consulta.").arg(field.name));
            columnOf << column;
            result.fields << packet::FieldSpec{field.name, field.kind, field.size};
        }
        for (const QVector<QVariant> &row : std::as_const(rows)) {
            QVector<QVariant> values;
            values.reserve(columnOf.size());
            for (int i = 0; i < columnOf.size(); ++i)
                values << fieldValue(row[columnOf[i]], fields()[i]);
            result.rows << values;
        }
    }
    loadFromPacket(result);
}
