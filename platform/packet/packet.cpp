#include "packet.h"

namespace packet {

int Packet::fieldIndex(const QString &name) const
{
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString kindName(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Text:
        return QStringLiteral("text");
    case FieldKind::FixedText:
        return QStringLiteral("fixedtext");
    case FieldKind::Float:
        return QStringLiteral("float");
    case FieldKind::DateTime:
        return QStringLiteral("datetime");
    }
    return QStringLiteral("?");
}

}  // namespace packet
