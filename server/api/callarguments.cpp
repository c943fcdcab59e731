#include "callarguments.h"

#include "callbody.h"
#include "serviceerror.h"

#include <packetcodec.h>

#include <QJsonDocument>
#include <QJsonParseError>

namespace commission {

namespace {

// 9999-12-31 as a day count: no later date is meaningful.
constexpr double lastDayCount = 2958465.0;

[[noreturn]] void refuse(const QString &message)
{
    throw ServiceError::badRequest(message);
}

QString describe(int index, const QString &name)
{
    return QStringLiteral("Argumento %1 (%2)").arg(index + 1).arg(name);
}

}  // namespace

CallArguments CallArguments::parse(const QByteArray &body)
{
    const CallBody split(body);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(split.skeleton(), &error);
    if (error.error != QJsonParseError::NoError)
        refuse(QStringLiteral("Requisição não é JSON válido."));
    const QJsonValue arguments = document.object().value(QStringLiteral("args"));
    if (!document.isObject() || !arguments.isArray())
        refuse(QStringLiteral("Requisição sem a lista de argumentos \"args\"."));
    CallArguments result;
    result.m_arguments = arguments.toArray();
    for (int i = 0; i < result.m_arguments.size(); ++i) {
        const QByteArray rows = split.rows(i);
        if (!rows.isNull())
            result.m_rowTexts.insert(i, rows);
    }
    for (int i = 0; i < result.m_arguments.size(); ++i) {
        if (!result.m_arguments[i].isObject())
            refuse(QStringLiteral("Argumento %1 não é um objeto.").arg(i + 1));
    }
    return result;
}

void CallArguments::expectCount(int least, int most) const
{
    if (m_arguments.size() < least || m_arguments.size() > most) {
        const QString expected =
            least == most ? QString::number(least) : QStringLiteral("%1 a %2").arg(least).arg(most);
        refuse(QStringLiteral("Esperados %1 argumentos, recebidos %2.").arg(expected).arg(m_arguments.size()));
    }
}

QJsonValue CallArguments::value(int index, const QString &name, const QString &kind, bool byRef) const
{
    if (index >= m_arguments.size())
        refuse(QStringLiteral("%1 não informado.").arg(describe(index, name)));
    const QJsonObject argument = m_arguments[index].toObject();
    if (argument.value(QStringLiteral("kind")).toString() != kind)
        refuse(QStringLiteral("%1 deve ser do tipo %2.").arg(describe(index, name), kind));
    const QJsonValue ref = argument.value(QStringLiteral("ref"));
    if (!ref.isUndefined() && (!ref.isBool() || ref.toBool() != byRef))
        refuse(QStringLiteral("%1 deve ser passado %2.")
                   .arg(describe(index, name), byRef ? QStringLiteral("por referência") : QStringLiteral("por valor")));
    if (!argument.contains(QStringLiteral("value")))
        refuse(QStringLiteral("%1 sem valor.").arg(describe(index, name)));
    return argument.value(QStringLiteral("value"));
}

QString CallArguments::text(int index, const QString &name, int maxSize, bool byRef) const
{
    const QJsonValue json = value(index, name, QStringLiteral("text"), byRef);
    if (!json.isString())
        refuse(QStringLiteral("%1 deve ser um texto.").arg(describe(index, name)));
    const QString text = json.toString();
    if (text.size() > maxSize)
        refuse(QStringLiteral("%1 maior que %2 caracteres.").arg(describe(index, name)).arg(maxSize));
    return text;
}

double CallArguments::date(int index, const QString &name, bool byRef) const
{
    const QJsonValue json = value(index, name, QStringLiteral("date"), byRef);
    if (!json.isDouble())
        refuse(QStringLiteral("%1 deve ser uma data (número de dias).").arg(describe(index, name)));
    const double days = json.toDouble();
    if (days != 0 && (days < 1 || days > lastDayCount))
        refuse(QStringLiteral("%1 fora das datas aceitas.").arg(describe(index, name)));
    return days;
}

packet::Packet CallArguments::packet(int index, const QString &name) const
{
    packet::Packet result;
    packetRows(
        index, name, [&result](const QVector<packet::FieldSpec> &fields) { result.fields = fields; },
        [&result](const QVector<QVariant> &row) { result.rows.append(row); });
    return result;
}

void CallArguments::packetRows(int index, const QString &name,
                               const std::function<void(const QVector<packet::FieldSpec> &)> &fields,
                               const std::function<void(const QVector<QVariant> &)> &row) const
{
    const QJsonValue json = value(index, name, QStringLiteral("packet"), false);
    const QByteArray rowsText = m_rowTexts.value(index);
    // The row count is checked before decoding, so an oversized packet costs
    // no more than reading it.
    qsizetype rowCount = 0;
    if (rowsText.isNull())
        rowCount = json.toObject().value(QStringLiteral("rows")).toArray().size();
    else if (!CallBody::forEachElement(rowsText, [&rowCount](const QByteArray &) { ++rowCount; }))
        refuse(QStringLiteral("Requisição não é JSON válido: lista de linhas malformada."));
    if (rowCount > maxPacketRows)
        throw ServiceError(ServiceError::Kind::TooLarge,
                           QStringLiteral("%1 com mais de %2 linhas.").arg(describe(index, name)).arg(maxPacketRows));
    try {
        if (rowsText.isNull())
            return packet::forEachRow(json, fields, row);
        const QVector<packet::FieldSpec> specs = packet::decodeFields(json);
        fields(specs);
        int rowIndex = 0;
        QVector<QVariant> values;
        // A thousand rows at a time: few parser runs, little held at once.
        CallBody::forEachBatch(rowsText, 1000, [&](const QByteArray &batch) {
            QJsonParseError error;
            const QJsonDocument rows = QJsonDocument::fromJson(batch, &error);
            if (error.error != QJsonParseError::NoError)
                refuse(QStringLiteral("Requisição não é JSON válido."));
            for (const QJsonValue json : rows.array()) {
                packet::decodeRow(specs, json, rowIndex++, values);
                row(values);
            }
        });
    } catch (const packet::PacketError &error) {
        refuse(QStringLiteral("%1: %2").arg(describe(index, name), QString::fromStdString(error.what())));
    }
}

}  // namespace commission
