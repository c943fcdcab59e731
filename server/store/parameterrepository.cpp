#include "parameterrepository.h"

#include "packetfiller.h"
#include "recordsetlayouts.h"
#include "sqlrunner.h"
#include "sqlvalues.h"

#include <QStringList>

namespace commission {

const QString &ParameterRepository::packetStatement()
{
    static const QString sql = [] {
        QStringList columns;
        for (const packet::FieldSpec &field : RecordSetLayouts::parameters())
            columns.append(field.name);
        return QStringLiteral("SELECT %1 FROM PARAMORCAEVE WHERE NRPARAMORCAEVE = 1")
            .arg(columns.join(QStringLiteral(", ")));
    }();
    return sql;
}

EncodedPacket ParameterRepository::asPacket() const
{
    return PacketFiller::read(m_db, packetStatement(), {}, RecordSetLayouts::parameters());
}

QuoteParameters ParameterRepository::load() const
{
    QSqlQuery query = SqlRunner::run(
        m_db, QStringLiteral("SELECT CDTPOPENTACE, CDTPCTPAGAR, CDTPCTPAGARNEG, CDSERIEENTR, DSDEFACTPAG,"
                             " IDGERACOMISSAOVEND FROM PARAMORCAEVE WHERE NRPARAMORCAEVE = 1"));
    QuoteParameters parameters;
    if (!query.next())
        return parameters;
    auto text = [&query](int column) { return SqlValues::toText(query.value(column)).trimmed(); };
    parameters.entryOperationType = text(0);
    parameters.accountType = text(1);
    parameters.creditAccountType = text(2);
    parameters.entrySeries = text(3);
    parameters.payableDescription = text(4);
    parameters.salespersonFlagCounts = text(5) != QLatin1String("N");
    return parameters;
}

}  // namespace commission
