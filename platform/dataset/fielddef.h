#pragma once

#include "dataset_export.h"

#include "packet.h"

#include <QString>
#include <QVariant>

#include <functional>

// One declared field of a record set: what it holds and how grids show it.
struct DATASET_EXPORT FieldDef {
    QString name{};
    packet::FieldKind kind = packet::FieldKind::Text;
    int size = 0;             // maximum characters of the text kinds
    QString displayLabel{};   // grid title; the name when empty
    QString displayFormat{};  // e.g. "0.00#,##"; empty for none
    int displayWidth = 0;     // in characters; 0 for the kind's default
    bool visible = true;      // false: left out of grids without a column list
    // What grids show for a value that is not null, when set (a code in
    // words, an instant in local time); the kind and format decide otherwise.
    std::function<QString(const QVariant &value)> displayHook{};

    QString title() const { return displayLabel.isEmpty() ? name : displayLabel; }
    // A value of this field as the user edits it: no display format, numbers
    // in the user's locale without group separators, dates as dd/MM/yyyy (with
    // the time when there is one); empty text for null.
    QString editText(const QVariant &value) const;
};
