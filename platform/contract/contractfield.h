#pragma once

#include "packet.h"

#include <QString>

namespace contract {

// One field of a record set as it travels, with how the screen shows it.
struct ContractField {
    QString name;
    packet::FieldKind kind = packet::FieldKind::Text;
    int size = 0;          // characters for the text kinds, 0 for the others
    QString label{};       // grid title; empty for the name
    QString format{};      // display format of amounts; empty for none
    int displayWidth = 0;  // in characters; 0 for the kind's default
    bool visible = true;   // false: left out of grids without a column list

    packet::FieldSpec wireField() const { return {name, kind, size}; }  // what the packet carries
};

}  // namespace contract
