#include "packetcodec.h"

#include "packetwriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <cmath>
#include <optional>

namespace packet {

namespace {

const QString formatText = QString::fromLatin1(formatTag.data(), qsizetype(formatTag.size()));
constexpr int maxTextSize = 1 << 20;

[[noreturn]] void fail(const QString &message)
{
    throw PacketError(message.toStdString());
}

std::optional<FieldKind> kindFromName(const QString &name)
{
    for (FieldKind kind : {FieldKind::Text, FieldKind::FixedText, FieldKind::Float, FieldKind::DateTime}) {
        if (kindName(kind) == name)
            return kind;
    }
    return std::nullopt;
}

QJsonValue encodeValue(const FieldSpec &field, const QVariant &value)
{
    if (value.isNull())
        return QJsonValue(QJsonValue::Null);
    if (isTextKind(field.kind))
        return value.toString();
    const double number = value.toDouble();
    if (!std::isfinite(number))
        fail(QStringLiteral("Campo \"%1\": valor numérico não finito.").arg(field.name));
    return number;
}

void writeJson(const Packet &packet, std::string &out)
{
    out.reserve(out.size() + size_t(64 + packet.fields.size() * 48 + packet.rows.size() * packet.fields.size() * 12));
    PacketWriter writer(packet.fields, out);
    for (const QVector<QVariant> &row : packet.rows) {
        if (row.size() != packet.fields.size())
            fail(QStringLiteral("Pacote inválido: linha com %1 valores para %2 campos.")
                     .arg(row.size())
                     .arg(packet.fields.size()));
        for (const QVariant &value : row)
            writer.addValue(value);
        writer.endRow();
    }
    writer.finish();
}

QVariant decodeValue(const FieldSpec &field, const QJsonValue &value, int row)
{
    if (value.isNull())
        return QVariant();
    if (isTextKind(field.kind)) {
        if (!value.isString())
            fail(QStringLiteral("Campo \"%1\", linha %2: esperado texto.").arg(field.name).arg(row + 1));
        const QString text = value.toString();
        if (text.size() > field.size)
            fail(QStringLiteral("Campo \"%1\", linha %2: texto maior que %3 caracteres.")
                     .arg(field.name)
                     .arg(row + 1)
                     .arg(field.size));
        return text;
    }
    if (!value.isDouble())
        fail(QStringLiteral("Campo \"%1\", linha %2: esperado número.").arg(field.name).arg(row + 1));
    return value.toDouble();
}

FieldSpec decodeField(const QJsonValue &value, int index)
{
    if (!value.isObject())
        fail(QStringLiteral("Pacote inválido: definição de campo %1 não é um objeto.").arg(index + 1));
    const QJsonObject object = value.toObject();
    FieldSpec field;
    field.name = object.value(QStringLiteral("name")).toString();
    if (field.name.isEmpty())
        fail(QStringLiteral("Pacote inválido: campo %1 sem nome.").arg(index + 1));
    const auto kind = kindFromName(object.value(QStringLiteral("kind")).toString());
    if (!kind)
        fail(QStringLiteral("Campo \"%1\": tipo desconhecido.").arg(field.name));
    field.kind = *kind;
    if (isTextKind(field.kind)) {
        const QJsonValue size = object.value(QStringLiteral("size"));
        const double number = size.toDouble(-1);
        if (!size.isDouble() || number < 1 || number > maxTextSize || number != std::floor(number))
            fail(QStringLiteral("Campo \"%1\": tamanho inválido.").arg(field.name));
        field.size = static_cast<int>(number);
    }
    return field;
}

}  // namespace

QJsonObject toJson(const Packet &packet)
{
    QJsonArray fields;
    for (const FieldSpec &field : packet.fields) {
        QJsonObject object{{QStringLiteral("name"), field.name}, {QStringLiteral("kind"), kindName(field.kind)}};
        if (isTextKind(field.kind))
            object.insert(QStringLiteral("size"), field.size);
        fields.append(object);
    }
    QJsonArray rows;
    for (const QVector<QVariant> &row : packet.rows) {
        if (row.size() != packet.fields.size())
            fail(QStringLiteral("Pacote inválido: linha com %1 valores para %2 campos.")
                     .arg(row.size())
                     .arg(packet.fields.size()));
        QJsonArray values;
        for (int i = 0; i < row.size(); ++i)
            values.append(encodeValue(packet.fields[i], row[i]));
        rows.append(values);
    }
    return QJsonObject{
        {QStringLiteral("format"), formatText}, {QStringLiteral("fields"), fields}, {QStringLiteral("rows"), rows}};
}

bool looksLikePacket(const QJsonValue &value)
{
    return value.isObject() && value.toObject().value(QStringLiteral("format")).toString() == formatText;
}

Packet fromJson(const QJsonValue &value)
{
    Packet packet;
    forEachRow(
        value, [&packet](const QVector<FieldSpec> &fields) { packet.fields = fields; },
        [&packet](const QVector<QVariant> &row) { packet.rows.append(row); });
    return packet;
}

QVector<FieldSpec> decodeFields(const QJsonValue &value)
{
    if (!looksLikePacket(value))
        fail(QStringLiteral("A resposta não é um pacote de dados."));
    const QJsonObject object = value.toObject();
    const QJsonValue fieldsValue = object.value(QStringLiteral("fields"));
    if (!fieldsValue.isArray() || !object.value(QStringLiteral("rows")).isArray())
        fail(QStringLiteral("Pacote inválido: faltam os campos ou as linhas."));

    QVector<FieldSpec> specs;
    QSet<QString> names;
    const QJsonArray fields = fieldsValue.toArray();
    specs.reserve(fields.size());
    for (int i = 0; i < fields.size(); ++i) {
        FieldSpec field = decodeField(fields[i], i);
        if (names.contains(field.name.toUpper()))
            fail(QStringLiteral("Pacote inválido: campo \"%1\" repetido.").arg(field.name));
        names.insert(field.name.toUpper());
        specs.append(field);
    }
    return specs;
}

void decodeRow(const QVector<FieldSpec> &fields, const QJsonValue &value, int index, QVector<QVariant> &row)
{
    if (!value.isArray())
        fail(QStringLiteral("Pacote inválido: linha %1 não é uma lista.").arg(index + 1));
    const QJsonArray values = value.toArray();
    if (values.size() != fields.size())
        fail(QStringLiteral("Pacote inválido: linha %1 tem %2 valores para %3 campos.")
                 .arg(index + 1)
                 .arg(values.size())
                 .arg(fields.size()));
    row.clear();
    row.reserve(fields.size());
    for (int c = 0; c < values.size(); ++c)
        row.append(decodeValue(fields[c], values[c], index));
}

void forEachRow(const QJsonValue &value, const std::function<void(const QVector<FieldSpec> &)> &fieldsRead,
                const std::function<void(const QVector<QVariant> &)> &rowRead)
{
    const QVector<FieldSpec> fields = decodeFields(value);
    fieldsRead(fields);
    const QJsonArray rows = value.toObject().value(QStringLiteral("rows")).toArray();
    QVector<QVariant> row;
    for (int r = 0; r < rows.size(); ++r) {
        decodeRow(fields, rows[r], r, row);
        rowRead(row);
    }
}

QByteArray encode(const Packet &packet)
{
    QByteArray out;
    appendJson(packet, out);
    return out;
}

void appendJson(const Packet &packet, QByteArray &out)
{
    std::string text;
    writeJson(packet, text);
    out.append(text.data(), qsizetype(text.size()));
}

void appendJson(const Packet &packet, std::string &out)
{
    writeJson(packet, out);
}

Packet decode(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        fail(QStringLiteral("Pacote ilegível: o texto recebido não é JSON válido (posição %1).").arg(error.offset));
    return fromJson(document.object());
}

}  // namespace packet
