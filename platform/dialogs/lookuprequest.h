#pragma once

#include <QString>

class TDataSource;

// What a lookup list shows: the rows of the source's record set, opening on
// startRow (the set's current row when -1). nameField, when given, is the
// column of the rows' names: it takes the list's spare width and holds the
// cursor, so the operator reads the names at a glance.
struct LookupRequest {
    TDataSource *source = nullptr;
    QString title{};
    int startRow = -1;
    QString nameField{};
};
