#pragma once

#include "wallpaper/SunTableFile.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orbiclock {

/// Length of one sun table line without its CR LF.
constexpr std::size_t kSunTableLineLength = 48;

/// The value written for one sun event of a table row.
/// `eventMoment` is what the sun computation returned (a moment: fixed day plus fraction, or 0 for
/// no event). A moment keeps only its time of day, so events falling on the previous or next day in
/// universal time keep their time of day. Without an event the result is the no-event code for the
/// season and hemisphere: in October to March (month < 4 or > 9) `code` north of 55° and −`code`
/// south of −55°; in April to September the opposite; between 55°S and 55°N the value stays as given.
/// `code` is the polar-night code of the event (dawn 5, sunrise 4, sunset −4, dusk −5); `month` is
/// 1..12 of the present date and `latitudeDeg` the row's latitude.
double SunEventDayFraction(double eventMoment, std::int32_t code, std::int32_t month, double latitudeDeg);

/// A table value formatted with the picture "0.0000000": at least one integer digit, seven decimals,
/// halves rounded away from zero, the current locale's decimal separator (LC_NUMERIC).
std::string formatSunTableValue(double value);

/// One table line without its line end: the row formatted "0000", then each value as two spaces and
/// formatSunTableValue; a negative value takes one of its two spaces for the minus sign.
/// Example: row 133 with 5, 4, −4, −5 gives "0133  5.0000000  4.0000000 -4.0000000 -5.0000000".
std::string formatSunTableLine(std::int32_t y, const SunTableLine& values);

/// The reference-map row of a table line: its first four characters as a decimal integer.
/// Raises OrbiclockError "'%s' is not a valid integer value".
std::int32_t parseSunTableRow(std::string_view line);

/// The four values of a table line, each from the six characters starting at columns 6, 17, 28 and 39
/// (counted from 1), so three decimals are read. Parsed with the current locale's decimal separator.
/// Raises OrbiclockError "'%s' is not a valid floating point value".
SunTableLine parseSunTableValues(std::string_view line);

} // namespace orbiclock
