#pragma once

#include <QString>

// What the filter dialog needs of the screen that opens it: the quote
// parameters the screen loaded, and its commands turned off while a filter
// run is under way.
class FilterScreen {
public:
    virtual ~FilterScreen() = default;

    // A field of the loaded quote parameters; empty while none are loaded.
    virtual QString quoteParameter(const QString &field) const = 0;
    // Turns every command off but the filter, which stays off until an
    // activation has loaded the parameters; the screen's own enabling rules
    // set them again after the load.
    virtual void disableCommandsForFilter() = 0;

protected:
    FilterScreen() = default;
    FilterScreen(const FilterScreen &) = default;
    FilterScreen &operator=(const FilterScreen &) = default;
};
