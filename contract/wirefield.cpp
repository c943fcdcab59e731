#include "wirefield.h"

namespace contract {

QVector<packet::FieldSpec> fieldSpecs(std::span<const WireField> fields)
{
    QVector<packet::FieldSpec> result;
    result.reserve(qsizetype(fields.size()));
    for (const WireField &field : fields)
        result.append(field.spec());
    return result;
}

}  // namespace contract
