#pragma once

#include "packet_export.h"

#include <QString>
#include <QVariant>
#include <QVector>

#include <stdexcept>
#include <string_view>

namespace packet {

// The kinds of value a packet field can carry.
enum class FieldKind {
    Text,       // text with a maximum length
    FixedText,  // text of a fixed declared length (kept as sent, never padded)
    Float,      // double-precision number
    DateTime    // day count since 1899-12-30 as a double; 0 means "no date"
};

struct PACKET_EXPORT FieldSpec {
    QString name;
    FieldKind kind = FieldKind::Text;
    int size = 0;  // maximum characters for the text kinds, 0 for the others

    friend bool operator==(const FieldSpec &, const FieldSpec &) = default;
};

// A whole record set as it travels: the field definitions and every row.
// A row holds one QVariant per field: a null QVariant, a QString for the
// text kinds or a double for Float and DateTime.
struct PACKET_EXPORT Packet {
    QVector<FieldSpec> fields;
    QVector<QVector<QVariant>> rows;

    int fieldIndex(const QString &name) const;  // -1 when absent
    friend bool operator==(const Packet &, const Packet &) = default;
};

// Raised for any packet that cannot be read or does not fit what is expected.
// The message is meant for a person and names the field at fault.
class PACKET_EXPORT PacketError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A kind's name as a packet's JSON writes it.
inline constexpr std::string_view kindTag(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Text:
        return "text";
    case FieldKind::FixedText:
        return "fixedtext";
    case FieldKind::Float:
        return "float";
    case FieldKind::DateTime:
        return "datetime";
    }
    return "?";
}

PACKET_EXPORT QString kindName(FieldKind kind);  // kindTag() as a QString

// Text and FixedText carry a QString and a size; the others a number.
inline constexpr bool isTextKind(FieldKind kind)
{
    return kind == FieldKind::Text || kind == FieldKind::FixedText;
}

// The "format" tag every packet's JSON carries.
inline constexpr std::string_view formatTag = "packet/1";

}  // namespace packet
