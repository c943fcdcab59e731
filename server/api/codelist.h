#pragma once

#include <remotecontract.h>

#include <QString>
#include <QStringList>

namespace commission {

// The salesperson and event-type lists the screen's picker returns: codes
// separated by semicolons, no blanks ("0001;0007;0012"); empty means all.
// Only letters and digits are accepted, so a list can never carry anything
// but codes; the codes are then bound as query parameters.
class CodeList {
public:
    static constexpr int maxCodes = contract::RemoteContract::maxListedCodes;

    // Raises ServiceError (BadRequest) naming the list for anything else.
    static QStringList parse(const QString &text, int maxCodeLength, const QString &listName);

    // One code: 1 to maxLength letters or digits.
    static bool isCode(const QString &text, int maxLength);
};

}  // namespace commission
