#include "screencolumns.h"

#include <QFont>

namespace screencolumns {

namespace {

TDBGrid::TColumn column(const QString &field, int width)
{
    TDBGrid::TColumn result;
    result.fieldName = field;
    result.width = width;
    return result;
}

}  // namespace

QVector<TDBGrid::TColumn> vendedoresColumns()
{
    return {column("NMFANVEN", 564), column("VRCOMISSAO", 149)};
}

QVector<TDBGrid::TColumn> orcamentosColumns()
{
    TDBGrid::TColumn mark = column("IDCHECK", 17);
    mark.alignment = Qt::AlignCenter;
    mark.title = QStringLiteral("4");  // a tick in the symbol font
    mark.titleFont = QFont(QStringLiteral("Monotype Sorts"));
    mark.hasTitleFont = true;
    return {mark,
            column("NRORCAEVENTO", 79),
            column("NRSEQORCAEVE", 28),
            column("NMFANTCLIE", 260),
            column("NMTIPOEVENTO", 120),
            column("DTEVENTO", 70),
            column("DTFECHAORCA", 83),
            column("VRTOTALOREV", 79),
            column("VRPERCCOMIS", 79),
            column("VRCOMISSAO", 79)};
}

}  // namespace screencolumns
