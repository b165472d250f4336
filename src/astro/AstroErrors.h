#pragma once

#include "astro/OrbiclockError.h"

namespace orbiclock {

/// An operation that a base class only declares was called on an object of that base class.
class AbstractError : public OrbiclockError {
public:
    AbstractError() : OrbiclockError("Abstract Error") {}
};

/// A computation has no valid result for its arguments, e.g. "Bogus time" when the sun never reaches
/// the asked depression on that day.
class InvalidOperationError : public OrbiclockError {
public:
    using OrbiclockError::OrbiclockError;
};

/// An operation this build does not implement.
class NotSupportedError : public OrbiclockError {
public:
    using OrbiclockError::OrbiclockError;
};

} // namespace orbiclock
