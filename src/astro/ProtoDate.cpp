#include "astro/ProtoDate.h"

#include "astro/AstroErrors.h"
#include "astro/CheckedMath.h"
#include "astro/IntegerRange.h"

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <string>

namespace orbiclock {
namespace {

constexpr long double kRadiansPerDegree = std::numbers::pi_v<long double> / 180.0L;
constexpr long double kDegreesPerRadian = 180.0L / std::numbers::pi_v<long double>;

// ±2^63, both exact in long double.
constexpr long double kInt64Bound = 9223372036854775808.0L;

} // namespace

// ---- Virtual operations ------------------------------------------------------------------------

bool TProtoDate::IsEqual(const TProtoDate&) const
{
    throw AbstractError();
}

std::unique_ptr<TProtoDate> TProtoDate::Create() const
{
    return std::make_unique<TProtoDate>();
}

void TProtoDate::SetFixed(std::int32_t)
{
    throw AbstractError();
}

void TProtoDate::SetFields(std::span<const std::int32_t>)
{
    throw AbstractError();
}

std::int32_t TProtoDate::GetFixed() const
{
    throw AbstractError();
}

std::string TProtoDate::ToString() const
{
    throw AbstractError();
}

std::string TProtoDate::ToLongString() const
{
    throw AbstractError();
}

bool TProtoDate::Equals(const TObject& other) const
{
    const auto* date = dynamic_cast<const TProtoDate*>(&other);
    return date != nullptr && IsEqual(*date);
}

bool TProtoDate::IsCrescentVisible(std::int32_t, const TLocation&) const
{
    throw NotSupportedError("Crescent visibility is not supported");
}

// ---- Arithmetic --------------------------------------------------------------------------------

std::int64_t TProtoDate::Floor(long double x)
{
    const long double whole = std::trunc(x);
    if (!(whole >= -kInt64Bound && whole < kInt64Bound))
        throw RangeError("Value out of range: " + std::to_string(x));
    auto result = static_cast<std::int64_t>(whole);
    if (x - whole < 0) {
        if (result == std::numeric_limits<std::int64_t>::min())
            throw RangeError("Value out of range: " + std::to_string(x));
        --result;
    }
    return result;
}

long double TProtoDate::Modulo(long double x, long double y)
{
    return x - y * static_cast<long double>(Floor(x / y));
}

std::int32_t TProtoDate::IntModulo(std::int32_t x, std::int32_t y)
{
    if (y == 0)
        throw RangeError("Division by zero");
    // For 32-bit operands the quotient in 64-bit mantissa precision never rounds across an integer.
    const std::int64_t q = Floor(static_cast<long double>(x) / static_cast<long double>(y));
    return narrowToInt32(static_cast<std::int64_t>(x) - static_cast<std::int64_t>(y) * q);
}

std::int32_t TProtoDate::Quotient(double x, double y)
{
    return narrowToInt32(Floor(static_cast<long double>(x) / static_cast<long double>(y)));
}

std::int32_t TProtoDate::AdjustedModulo(std::int32_t x, std::int32_t y)
{
    return checkedAdd(y, IntModulo(x, checkedSub(0, y)));
}

int TProtoDate::Signum(double x) noexcept
{
    if (x < 0)
        return -1;
    if (x > 0)
        return 1;
    return 0;
}

std::int32_t TProtoDate::DayDifference(std::int32_t a, std::int32_t b)
{
    return checkedSub(b, a);
}

long double TProtoDate::HoursToDays(long double hours) noexcept
{
    return hours / 24.0L;
}

double TProtoDate::Angle(double degrees, double minutes, double seconds) noexcept
{
    return static_cast<double>(static_cast<long double>(degrees) +
                               (static_cast<long double>(minutes) + static_cast<long double>(seconds) / 60.0L) / 60.0L);
}

long double TProtoDate::Normalize360(long double x)
{
    return Modulo(x, 360.0L);
}

long double TProtoDate::SinDeg(long double x) noexcept
{
    return std::sin(x * kRadiansPerDegree);
}

long double TProtoDate::CosDeg(long double x) noexcept
{
    return std::cos(x * kRadiansPerDegree);
}

long double TProtoDate::TanDeg(long double x) noexcept
{
    return std::tan(x * kRadiansPerDegree);
}

long double TProtoDate::ArcSinDeg(long double x) noexcept
{
    return std::atan2(x, std::sqrt(1.0L - x * x)) * kDegreesPerRadian;
}

long double TProtoDate::ArcCosDeg(long double x) noexcept
{
    return std::atan2(std::sqrt(1.0L - x * x), x) * kDegreesPerRadian;
}

long double TProtoDate::ArcTanDeg(long double y, int quadrant)
{
    const long double a = std::atan(y) * kDegreesPerRadian;
    return quadrant == 1 || quadrant == 4 ? Normalize360(a) : Normalize360(a + 180.0L);
}

} // namespace orbiclock
