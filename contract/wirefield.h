#pragma once

#include "commission_contract_export.h"
#include "packet.h"

#include <QLatin1String>
#include <QVector>

#include <span>

namespace contract {

// One field of a record set as it travels: its name, its kind and, for the
// text kinds, its size in characters (0 for the others). Record sets declare
// their fields as constants of this type, so a use names the field by its
// handle (contract::Orcamentos::IdCheck.name) instead of retyping the name.
struct WireField {
    QLatin1String name;
    packet::FieldKind kind = packet::FieldKind::Text;
    int size = 0;

    packet::FieldSpec spec() const { return {QString(name), kind, size}; }

    friend bool operator==(const WireField &a, const WireField &b)
    {
        return a.name == b.name && a.kind == b.kind && a.size == b.size;
    }
};

// The packet field definitions of a record set, in its order.
COMMISSION_CONTRACT_EXPORT QVector<packet::FieldSpec> fieldSpecs(std::span<const WireField> fields);

// Shorthands for the declarations of the record sets.
constexpr WireField textField(const char *name, int size)
{
    return {QLatin1String(name), packet::FieldKind::Text, size};
}

constexpr WireField fixedTextField(const char *name, int size)
{
    return {QLatin1String(name), packet::FieldKind::FixedText, size};
}

constexpr WireField floatField(const char *name)
{
    return {QLatin1String(name), packet::FieldKind::Float, 0};
}

constexpr WireField dateTimeField(const char *name)
{
    return {QLatin1String(name), packet::FieldKind::DateTime, 0};
}

}  // namespace contract
