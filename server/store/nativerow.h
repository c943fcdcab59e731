#pragma once

#include <string_view>

namespace commission {

// The current row of a read through the database's own C library, valid
// only while the reader hands it over.
class NativeRow {
public:
    virtual bool isNull(int column) const = 0;
    // The value as UTF-8 text; empty for null.
    virtual std::string_view text(int column) const = 0;
    // The value as a number; 0 for null or for text that is not one.
    virtual double number(int column) const = 0;

protected:
    ~NativeRow() = default;
};

}  // namespace commission
