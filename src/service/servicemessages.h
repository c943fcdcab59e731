#pragma once

#include <QString>

class TMessages;

// The texts the user sees for the catalogue keys that the commission service
// answers (a refusal of a generation) or raises (an error naming a missing
// parameter, "N_PARAM_...", alone or followed by "|" and a detail).
//
// Every text comes from the screen's catalogue; a key the catalogue lacks, or
// holds no text for, is shown naming the key, so the user always has
// something to report instead of an empty error box.
class ServiceMessages {
public:
    explicit ServiceMessages(const TMessages &catalogue);

    // True when an error text names a parameter key.
    static bool namesParameterKey(const QString &errorText);

    // The text for a refusal key answered by the service, as the catalogue
    // holds it.
    QString refusal(const QString &key) const;
    // The text for an error naming a parameter key: the key is the text up to
    // the first "|", the detail what follows it and fills the text's
    // placeholder (see format). Without a "|" the whole text is the key.
    QString parameterError(const QString &errorText) const;

    // The text with the detail in its first "%s"; further "%s" stay empty,
    // "%%" is a percent sign, any other "%" is kept as written. A text
    // without a placeholder comes back unchanged. Never fails.
    static QString format(const QString &text, const QString &detail);

private:
    const TMessages &m_catalogue;
};
