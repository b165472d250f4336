#include "wallpaper/SunTableFormat.h"

#include "astro/OrbiclockError.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace orbiclock {
namespace {

/// Characters of the value fields: positions (from 0) and width of what the reader takes.
constexpr std::size_t kValueColumns[] = {5, 16, 27, 38};
constexpr std::size_t kValueWidth = 6;

/// Copy(text, start, count) with start from 0: as much of the range as the text holds.
std::string_view copyOf(std::string_view text, std::size_t start, std::size_t count)
{
    if (start >= text.size())
        return {};
    return text.substr(start, count);
}

/// True when printf's "%.7f" would meet an exact tie: a double is halfway between two seven-decimal
/// values only when it is an odd multiple of 1/256 (e.g. 0.00390625).
bool isSevenDecimalTie(double value)
{
    if (!std::isfinite(value))
        return false;
    const double scaled = std::ldexp(value, 8);
    return std::trunc(scaled) == scaled && std::fmod(scaled, 2.0) != 0.0;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

[[noreturn]] void throwNotReal(std::string_view text)
{
    throw OrbiclockError("'" + std::string(text) + "' is not a valid floating point value");
}

[[noreturn]] void throwNotInteger(std::string_view text)
{
    throw OrbiclockError("'" + std::string(text) + "' is not a valid integer value");
}

/// A decimal number in the current locale's notation, spaces around it allowed. strtod alone would also
/// take "inf", "nan" and hexadecimal forms, which are no table values.
double parseReal(std::string_view text)
{
    const std::string_view number = trimmed(text);
    const std::string_view point = std::localeconv()->decimal_point;
    bool digits = false;
    for (std::size_t i = 0; i < number.size(); ++i) {
        const char c = number[i];
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c != '+' && c != '-' && c != 'e' && c != 'E' && point.find(c) == std::string_view::npos)
            throwNotReal(text);
    }
    if (!digits)
        throwNotReal(text);
    const std::string copy(number);
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || errno == ERANGE || !std::isfinite(value))
        throwNotReal(text);
    return value;
}

} // namespace

double SunEventDayFraction(double eventMoment, std::int32_t code, std::int32_t month, double latitudeDeg)
{
    const long double moment = eventMoment;
    const long double wholeDays = std::trunc(moment);
    if (wholeDays > 0.0L)
        return static_cast<double>(moment - wholeDays);

    const bool winterHalf = month < 4 || month > 9; // October to March
    const double codeValue = code;
    if (latitudeDeg > 55.0)
        return winterHalf ? codeValue : -codeValue;
    if (latitudeDeg < -55.0)
        return winterHalf ? -codeValue : codeValue;
    return eventMoment;
}

std::string formatSunTableValue(double value)
{
    // printf rounds an exact tie to even; the picture rounds it away from zero. One step away from
    // zero puts the value just past the tie, where printf's correct rounding agrees.
    if (isSevenDecimalTie(value))
        value = std::nextafter(value, value > 0.0 ? std::numeric_limits<double>::infinity()
                                                  : -std::numeric_limits<double>::infinity());
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.7f", value);
    std::string text = buf;
    // A value that rounds to zero shows no sign.
    if (text.front() == '-' && text.find_first_of("123456789") == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::string formatSunTableLine(std::int32_t y, const SunTableLine& values)
{
    char row[16];
    std::snprintf(row, sizeof row, "%04d", static_cast<int>(y));
    std::string line = row;
    for (double value : {values.dawn, values.sunrise, values.sunset, values.dusk})
        line += "  " + formatSunTableValue(value);

    std::string result;
    result.reserve(line.size());
    for (std::size_t i = 0; i < line.size();) {
        if (line.compare(i, 3, "  -") == 0) {
            result += " -";
            i += 3;
        } else {
            result += line[i];
            ++i;
        }
    }
    return result;
}

std::int32_t parseSunTableRow(std::string_view line)
{
    const std::string_view text = copyOf(line, 0, 4);
    std::string_view number = text;
    while (!number.empty() && isBlank(number.front()))
        number.remove_prefix(1);
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    if (number.empty())
        throwNotInteger(text);
    std::int32_t value = 0;
    for (char c : number) {
        if (c < '0' || c > '9')
            throwNotInteger(text);
        value = value * 10 + (c - '0'); // at most four digits: no overflow
    }
    return negative ? -value : value;
}

SunTableLine parseSunTableValues(std::string_view line)
{
    double values[4];
    for (std::size_t k = 0; k < 4; ++k)
        values[k] = parseReal(copyOf(line, kValueColumns[k], kValueWidth));
    return {values[0], values[1], values[2], values[3]};
}

} // namespace orbiclock
