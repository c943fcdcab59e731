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
    const std::string_view tag = kindTag(kind);
    return QString::fromLatin1(tag.data(), qsizetype(tag.size()));
}

}  // namespace packet
