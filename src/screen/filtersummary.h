#pragma once

#include "commissionclient.h"

#include <QString>
#include <QStringList>

// The line that says what the lists were loaded with: branch, period, date
// base, status, and the salespeople and event types ("Todos", or how many
// were picked; their names go in the tooltip).
class FilterSummary {
public:
    struct Line {
        QString text;
        QString toolTip;
    };
    // `salespeopleNames` and `eventTypeNames`: "code - name" of each picked
    // code, in the order of the lists; empty when every one counts.
    static Line describe(const CommissionClient::Selection &selection, const QStringList &salespeopleNames,
                         const QStringList &eventTypeNames);
    // The line for a selection of the filter dialog, the picked codes named
    // as far as the dialog's lookup lists hold them (they do once the
    // operator picked from them).
    static Line ofFilterDialog(const CommissionClient::Selection &selection);
    // The selection as a printed page tells it: "Filial 0001 · Período
    // 01/10/2026 a 30/11/2026 (data do evento) · Vendedores: todos · Tipos de
    // evento: 001, 004 · Comissão não gerada".
    static QString inWords(const CommissionClient::Selection &selection);
};
