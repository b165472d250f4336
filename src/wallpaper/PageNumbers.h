#pragma once

#include <cstdint>
#include <string>

namespace orbiclock {

// Numbers as the generated page writes them. Every function here is independent of the C and C++
// locales: the page's script needs a decimal point and plain digits whatever the user's locale says.

/// Plain decimal digits with a leading "-" when negative and no sign otherwise. Example: -60 gives "-60".
std::string integerText(std::int64_t value);

/// A pixel position computed in floating point: no decimals, a half rounded away from zero
/// (2.5 gives "3", -2.5 gives "-3"). Raises RangeError outside 32 bits or for NaN.
std::string pixelText(long double value);

/// A number with exactly one decimal and a point, a half rounded away from zero
/// (5.5 gives "5.5", -3 gives "-3.0", 5.75 gives "5.8"). Raises RangeError for NaN or huge values.
std::string oneDecimalText(long double value);

/// The width of one hour on an overlay `overlayWidth` pixels wide: overlayWidth / 24 rounded to the
/// nearest integer, halves to even. Example: 1390 gives 58.
std::int32_t overlayHourWidth(std::int32_t overlayWidth);

} // namespace orbiclock
