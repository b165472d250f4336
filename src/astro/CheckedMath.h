#pragma once

#include "astro/OrbiclockError.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace orbiclock {

/// Trunc: the integer part of x, cut toward zero. Raises RangeError outside 32 bits (or for NaN).
inline std::int32_t truncToInt32(long double x)
{
    const long double t = std::trunc(x);
    if (!(t >= std::numeric_limits<std::int32_t>::min() && t <= std::numeric_limits<std::int32_t>::max()))
        throw RangeError("Value out of range: " + std::to_string(static_cast<double>(x)));
    return static_cast<std::int32_t>(t);
}

/// Round: the nearest integer, halves to even. Raises RangeError outside 32 bits (or for NaN).
inline std::int32_t roundHalfEvenToInt32(long double x)
{
    long double r = std::nearbyint(x); // default rounding mode is to nearest, ties to even
    return truncToInt32(r);
}

/// Nearest integer with halves away from zero, as number pictures format. Raises outside 32 bits.
inline std::int32_t roundHalfAwayToInt32(long double x)
{
    return truncToInt32(std::round(x));
}

/// a + b, raising RangeError instead of wrapping.
inline std::int32_t checkedAdd(std::int32_t a, std::int32_t b)
{
    std::int32_t r;
    if (__builtin_add_overflow(a, b, &r))
        throw RangeError("Integer overflow");
    return r;
}

/// a - b, raising RangeError instead of wrapping.
inline std::int32_t checkedSub(std::int32_t a, std::int32_t b)
{
    std::int32_t r;
    if (__builtin_sub_overflow(a, b, &r))
        throw RangeError("Integer overflow");
    return r;
}

/// a * b, raising RangeError instead of wrapping.
inline std::int32_t checkedMul(std::int32_t a, std::int32_t b)
{
    std::int32_t r;
    if (__builtin_mul_overflow(a, b, &r))
        throw RangeError("Integer overflow");
    return r;
}

} // namespace orbiclock
