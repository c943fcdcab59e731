#pragma once

#include "controls_export.h"

#include "tclientdataset.h"

#include <QMap>
#include <QStringList>
#include <QVariant>
#include <QVector>

class QSqlRecord;

// A read-only query through the database module. Open() runs the SQL with its
// parameters bound (never pasted into the text) and loads every row into the
// record set, matched to the declared fields by column name; without declared
// fields, the result's columns become text fields. Errors raise
// database::DatabaseError with the driver's text.
class CONTROLS_EXPORT TADOIBQuery : public TClientDataSet {
    Q_OBJECT
public:
    class Param {
    public:
        QVariant value;
        QString AsString() const { return value.toString(); }
        void setAsString(const QString &text) { value = text; }
    };

    explicit TADOIBQuery(QObject *parent = nullptr);

    QStringList SQL;                          // the text, line by line
    Param &ParamByName(const QString &name);  // ":P_CDFILIAL" is named "P_CDFILIAL"

    void Open();  // runs the query (closing first when open)

private:
    void declareColumns(const QSqlRecord &record, const QVector<QVector<QVariant>> &rows);

    QMap<QString, Param> m_params;
};
