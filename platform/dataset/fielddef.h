#pragma once

#include "dataset_export.h"

#include "packet.h"

#include <QString>

// One declared field of a record set: what it holds and how grids show it.
struct DATASET_EXPORT FieldDef {
    QString name{};
    packet::FieldKind kind = packet::FieldKind::Text;
    int size = 0;               // maximum characters of the text kinds
    QString displayLabel{};     // grid title; the name when empty
    QString displayFormat{};    // e.g. "0.00#,##"; empty for none
    int displayWidth = 0;       // in characters; 0 for the kind's default
    bool visible = true;        // false: left out of grids without a column list

    QString title() const { return displayLabel.isEmpty() ? name : displayLabel; }
};
