#pragma once

#include "dialogs_export.h"

#include <QString>

// A text the operator searches for, compared the same way by every search of
// the dialogs (the search dialog, the lookup list, the pickers): case and
// accents are ignored and the blanks around it dropped, so "Fábio", "FABIO"
// and "fabio" all find "Fábio Rocha".
class DIALOGS_EXPORT SearchText {
public:
    explicit SearchText(const QString &wanted = QString());

    bool isEmpty() const;
    // Whether the text holds the wanted one anywhere; an empty search is found
    // in every text.
    bool foundIn(const QString &text) const;

    // The form in which texts are compared: case folded, accents dropped.
    static QString comparable(const QString &text);

private:
    QString m_wanted;
};
