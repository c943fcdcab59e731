#pragma once

#include "dataset_export.h"

#include <QString>

#include <optional>

// Numbers as the operator reads and types them, in the operator's locale.
class DATASET_EXPORT NumberText {
public:
    // Two decimals with thousands grouped ("1.234,50" in Brazil); an amount
    // that rounds to zero shows as "0,00", never "-0,00".
    static QString amount(double value);
    // The shortest exact form, without grouping.
    static QString plain(double value);
    // Typed text: the locale's notation without thousands separators first
    // (so "1.5" is not fifteen in Brazil), then the C notation. Empty when
    // neither reads the text.
    static std::optional<double> parse(const QString &text);
};
