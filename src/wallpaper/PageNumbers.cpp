#include "wallpaper/PageNumbers.h"

#include "astro/CheckedMath.h"

#include <array>
#include <charconv>
#include <cstdlib>

namespace orbiclock {

std::string integerText(std::int64_t value)
{
    std::array<char, 24> digits{};
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    static_cast<void>(error); // 24 characters hold every 64-bit integer
    return std::string(digits.data(), end);
}

std::string pixelText(long double value)
{
    return integerText(roundHalfAwayToInt32(value));
}

std::string oneDecimalText(long double value)
{
    const std::int32_t tenths = roundHalfAwayToInt32(value * 10.0L);
    const std::int64_t magnitude = std::llabs(static_cast<std::int64_t>(tenths));
    std::string text = tenths < 0 ? "-" : "";
    text += integerText(magnitude / 10);
    text += '.';
    text += static_cast<char>('0' + magnitude % 10);
    return text;
}

std::int32_t overlayHourWidth(std::int32_t overlayWidth)
{
    return roundHalfEvenToInt32(static_cast<long double>(overlayWidth) / 24.0L);
}

} // namespace orbiclock
