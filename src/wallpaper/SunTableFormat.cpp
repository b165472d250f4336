#include "wallpaper/SunTableFormat.h"

#include "astro/OrbiclockError.h"

#include <bit>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace orbiclock {
namespace {

/// 128-bit unsigned integers: a 53-bit mantissa times 10^7 needs 77 bits.
__extension__ typedef unsigned __int128 Wide;

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
    // Table values are small; they are formatted from the exact binary value with integer arithmetic,
    // which gives printf's correctly rounded digits without its cost (a thousand lines per update).
    // Below 2^20 a double's step is far below 10^-7, so this agrees with the nudge below bit for bit.
    if (std::isfinite(value) && std::fabs(value) < 1048576.0) {
        const auto bits = std::bit_cast<std::uint64_t>(value);
        const bool negative = (bits >> 63) != 0;
        const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
        std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
        if (biased != 0)
            mantissa |= std::uint64_t{1} << 52;
        // |value| = mantissa · 2^-shift, shift ≥ 33 for |value| < 2^20.
        const int shift = 1075 - (biased != 0 ? biased : 1);
        std::uint64_t units = 0; // |value| in units of 10^-7, rounded with halves away from zero
        if (shift <= 100) {
            const Wide scaled = static_cast<Wide>(mantissa) * 10000000u;
            units = static_cast<std::uint64_t>(scaled >> shift);
            const Wide remainder = scaled & ((static_cast<Wide>(1) << shift) - 1);
            if (remainder >= static_cast<Wide>(1) << (shift - 1))
                ++units;
        } // a smaller shift is a value below 2^-47: it rounds to 0
        // Digits from the right: seven decimals, the separator, at least one integer digit, the sign.
        char digits[32];
        char* p = digits + sizeof digits;
        std::uint64_t rest = units;
        for (int i = 0; i < 7; ++i) {
            *--p = static_cast<char>('0' + rest % 10);
            rest /= 10;
        }
        const std::string_view fraction(p, 7);
        do {
            *--p = static_cast<char>('0' + rest % 10);
            rest /= 10;
        } while (rest != 0);
        std::string text;
        if (negative && units != 0) // a value that rounds to zero shows no sign
            text += '-';
        text.append(p, static_cast<std::size_t>(fraction.data() - p));
        text += std::localeconv()->decimal_point;
        text += fraction;
        return text;
    }
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
