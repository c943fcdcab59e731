#pragma once

#include "session_export.h"

#include <QObject>
#include <QSqlDatabase>

// The host's database module: one connection (adcGeral) to the shared
// database named by the session, opened on first use and opened again after a
// failure. User-interface thread only.
class SESSION_EXPORT TdtmDBGeral : public QObject {
    Q_OBJECT
public:
    static TdtmDBGeral &instance();

    // The open connection; raises database::DatabaseError when it cannot open.
    QSqlDatabase adcGeral();
    void disconnect();

private:
    explicit TdtmDBGeral(QObject *parent = nullptr);
};

SESSION_EXPORT TdtmDBGeral &dtmDBGeral();
