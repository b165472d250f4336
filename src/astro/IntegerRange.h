#pragma once

#include "astro/OrbiclockError.h"

#include <cstdint>
#include <limits>

namespace orbiclock {

/// A 64-bit intermediate as a 32-bit integer; raises RangeError "Integer overflow" instead of wrapping.
inline std::int32_t narrowToInt32(std::int64_t value)
{
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        throw RangeError("Integer overflow");
    return static_cast<std::int32_t>(value);
}

} // namespace orbiclock
