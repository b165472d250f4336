#pragma once

#include <stdexcept>
#include <string>

namespace orbiclock {

/// Base of every error the program raises itself. The message is the text the user sees.
class OrbiclockError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A value does not fit the integer type it must be converted to, or an argument is out of range.
class RangeError : public OrbiclockError {
public:
    using OrbiclockError::OrbiclockError;
};

/// A file could not be opened, created or written.
class FileError : public OrbiclockError {
public:
    using OrbiclockError::OrbiclockError;
};

} // namespace orbiclock
