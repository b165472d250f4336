// The sun model behind dawn, sunrise, sunset and dusk: Reingold and Dershowitz, "Calendrical
// Calculations", after Meeus, "Astronomical Algorithms" (solar longitude, nutation, aberration,
// obliquity, equation of time, ephemeris correction).

#include "astro/ProtoDate.h"

#include "astro/AstroErrors.h"
#include "astro/Gregorian.h"
#include "astro/IntegerRange.h"
#include "astro/Location.h"
#include "astro/StandardDate.h"
#include "astro/SunPositionCache.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace orbiclock {
namespace {

/// a0 + a1·x + a2·x² + … by Horner's rule.
long double poly(long double x, std::initializer_list<long double> coefficients) noexcept
{
    long double result = 0.0L;
    for (auto it = coefficients.end(); it != coefficients.begin();) {
        --it;
        result = result * x + *it;
    }
    return result;
}

struct PeriodicTerm {
    int x;
    double y;
    double z;
};

// Periodic terms of the solar longitude: X · sin(Y · c + Z), c in Julian centuries, Y and Z in degrees.
constexpr std::array<PeriodicTerm, 49> kSolarLongitudeTerms = {{
    {403406, 0.9287892, 270.54861},    {195207, 35999.1376958, 340.19128}, {119433, 35999.4089666, 63.91854},
    {112392, 35998.7287385, 331.26220}, {3891, 71998.20261, 317.843},       {2819, 71998.4403, 86.631},
    {1721, 36000.35726, 240.052},       {660, 71997.4812, 310.26},          {350, 32964.4678, 247.23},
    {334, -19.4410, 260.87},            {314, 445267.1117, 297.82},         {268, 45036.8840, 343.14},
    {242, 3.1008, 166.79},              {234, 22518.4434, 81.53},           {158, -19.9739, 3.50},
    {132, 65928.9345, 132.75},          {129, 9038.0293, 182.95},           {114, 3034.7684, 162.03},
    {99, 33718.148, 29.8},              {93, 3034.448, 266.4},              {86, -2280.773, 249.2},
    {78, 29929.992, 157.6},             {72, 31556.493, 257.8},             {68, 149.588, 185.1},
    {64, 9037.750, 69.9},               {46, 107997.405, 8.0},              {38, -4444.176, 197.1},
    {37, 151.771, 250.4},               {32, 67555.316, 65.3},              {29, 31556.080, 162.7},
    {28, -4561.540, 341.5},             {27, 107996.706, 291.6},            {27, 1221.655, 98.5},
    {25, 62894.167, 146.7},             {24, 31437.369, 110.0},             {21, 14578.298, 5.2},
    {21, -31931.757, 342.6},            {20, 34777.243, 230.9},             {18, 1221.999, 256.1},
    {17, 62894.511, 45.3},              {14, -4442.039, 242.9},             {13, 107997.909, 115.2},
    {13, 119.066, 151.8},               {13, 16859.071, 285.3},             {12, -4.578, 53.3},
    {10, 26895.292, 126.6},             {10, -39.127, 205.7},               {10, 12297.536, 85.9},
    {10, 90073.778, 146.1},
}};

constexpr long double kEarthRadiusMetres = 6372000.0L;

/// 1 / 2π as the extended constant of the equation of time.
constexpr long double kOneOverTwoPi = 0.15915494309189533577L;

/// A small memory of the sun's declination by universal moment. The sun table evaluates the same trial
/// moments for every row of a day (all rows share longitude 0), so most declinations repeat exactly.
/// Thread-local and trivially constructed: no allocation, no locking.
struct DeclinationCache {
    static constexpr std::size_t kSize = 8;
    std::array<double, kSize> moment{};
    std::array<double, kSize> declination{};
    std::array<bool, kSize> used{};
    std::size_t next = 0;
};

thread_local DeclinationCache tDeclinationCache;

bool sameMoment(double a, double b) noexcept
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

/// The sun's declination at universal moment t in degrees, from the obliquity and the solar longitude.
double solarDeclination(double t)
{
    DeclinationCache& cache = tDeclinationCache;
    for (std::size_t i = 0; i < DeclinationCache::kSize; ++i)
        if (cache.used[i] && sameMoment(cache.moment[i], t))
            return cache.declination[i];
    const auto declination = static_cast<double>(
        TProtoDate::ArcSinDeg(TProtoDate::SinDeg(TProtoDate::Obliquity(t)) * TProtoDate::SinDeg(TProtoDate::SolarLongitude(t))));
    cache.moment[cache.next] = t;
    cache.declination[cache.next] = declination;
    cache.used[cache.next] = true;
    cache.next = (cache.next + 1) % DeclinationCache::kSize;
    return declination;
}

/// MomentOfDepression without the exception: false when the sun never reaches the depression
/// (|s| > 1), so that the trials of the searches cost no exception.
bool tryMomentOfDepression(const TLocation& location, bool morning, double approx, double alphaDeg, double& result)
{
    const double phi = location.Latitude;
    const double t = TProtoDate::UniversalFromLocal(approx, location);
    const double delta = solarDeclination(t);
    const auto s = static_cast<double>(TProtoDate::TanDeg(phi) * TProtoDate::TanDeg(delta) +
                                       TProtoDate::SinDeg(alphaDeg) / (TProtoDate::CosDeg(delta) * TProtoDate::CosDeg(phi)));
    if (!(std::fabs(s) <= 1.0)) {
        if (std::isnan(s))
            throw InvalidOperationError("Invalid floating point operation");
        return false;
    }
    const auto offset = static_cast<double>(TProtoDate::Modulo(TProtoDate::ArcSinDeg(s) / 360.0L + 0.5L, 1.0L) - 0.5L);
    const auto day = static_cast<long double>(TProtoDate::Floor(approx));
    const long double apparent = morning ? day + 0.25L - offset : day + 0.75L + offset;
    result = TProtoDate::LocalFromApparent(static_cast<double>(apparent));
    return true;
}

} // namespace

void clearSunPositionCache() noexcept
{
    tDeclinationCache = DeclinationCache{};
}

// ---- Time scales -------------------------------------------------------------------------------

double TProtoDate::UniversalFromLocal(double t, const TLocation& location) noexcept
{
    return static_cast<double>(static_cast<long double>(t) - static_cast<long double>(location.Longitude) / 360.0L);
}

double TProtoDate::StandardFromUniversal(double t, const TLocation& location) noexcept
{
    return static_cast<double>(static_cast<long double>(t) + static_cast<long double>(location.Zone) / 24.0L);
}

double TProtoDate::UniversalFromStandard(double t, const TLocation& location) noexcept
{
    return static_cast<double>(static_cast<long double>(t) - static_cast<long double>(location.Zone) / 24.0L);
}

double TProtoDate::StandardFromLocal(double t, const TLocation& location) noexcept
{
    return StandardFromUniversal(UniversalFromLocal(t, location), location);
}

double TProtoDate::LocalFromApparent(double t)
{
    return static_cast<double>(static_cast<long double>(t) - EquationOfTime(t));
}

double TProtoDate::DynamicalFromUniversal(double t)
{
    return static_cast<double>(static_cast<long double>(t) + EphemerisCorrection(t));
}

double TProtoDate::EphemerisCorrection(double t)
{
    const std::int32_t year = TStandardDate::YearFromFixed(narrowToInt32(Floor(t)));
    const auto y = static_cast<long double>(year);
    const auto centuriesSince1900 = [year] {
        return static_cast<long double>(DayDifference(TGregorian::FixedFromGregorian(1900, 1, 1),
                                                      TGregorian::FixedFromGregorian(year, 7, 1))) /
               36525.0L;
    };
    long double correction;
    if (year >= 1988 && year <= 2019) {
        correction = (y - 1933.0L) / 86400.0L;
    } else if (year >= 1900 && year <= 1987) {
        correction = poly(centuriesSince1900(), {-0.00002L, 0.000297L, 0.025184L, -0.181133L, 0.553040L,
                                                 -0.861938L, 0.677066L, -0.212591L});
    } else if (year >= 1800 && year <= 1899) {
        correction = poly(centuriesSince1900(), {-0.000009L, 0.003844L, 0.083563L, 0.865736L, 4.867575L,
                                                 15.845535L, 31.332267L, 38.291999L, 28.316289L, 11.636204L,
                                                 2.043794L});
    } else if (year >= 1700 && year <= 1799) {
        correction = poly(y - 1700.0L, {8.118780842L, -0.05092142L, 0.003336121L, -0.0000266484L}) / 86400.0L;
    } else if (year >= 1620 && year <= 1699) {
        correction = poly(y - 1600.0L, {196.58333L, -4.0675L, 0.0219167L}) / 86400.0L;
    } else {
        const long double x = static_cast<long double>(DayDifference(TGregorian::FixedFromGregorian(1810, 1, 1),
                                                                     TGregorian::FixedFromGregorian(year, 1, 1))) +
                              HoursToDays(12.0L);
        correction = (x * x / 41048480.0L - 15.0L) / 86400.0L;
    }
    return static_cast<double>(correction);
}

double TProtoDate::JulianCenturies(double t)
{
    return static_cast<double>((static_cast<long double>(DynamicalFromUniversal(t)) - J2000) / 36525.0L);
}

// ---- Position of the sun -----------------------------------------------------------------------

double TProtoDate::Obliquity(double t)
{
    const long double c = JulianCenturies(t);
    return static_cast<double>(Angle(23, 26, 21.448) +
                               poly(c, {0.0L, Angle(0, 0, -46.815), Angle(0, 0, -0.00059), Angle(0, 0, 0.001813)}));
}

double TProtoDate::SolarLongitude(double t)
{
    const long double c = JulianCenturies(t);
    long double sum = 0.0L;
    for (const PeriodicTerm& term : kSolarLongitudeTerms)
        sum += static_cast<long double>(term.x) * SinDeg(static_cast<long double>(term.y) * c + term.z);
    const long double lambda = 282.7771834L + 36000.76953744L * c + 0.000005729577951308232L * sum;
    return static_cast<double>(Normalize360(lambda + Aberration(t) + Nutation(t)));
}

double TProtoDate::Nutation(double t)
{
    const long double c = JulianCenturies(t);
    const long double a = poly(c, {124.90L, -1934.134L, 0.002063L});
    const long double b = poly(c, {201.11L, 72001.5377L, 0.00057L});
    return static_cast<double>(-0.004778L * SinDeg(a) - 0.0003667L * SinDeg(b));
}

double TProtoDate::Aberration(double t)
{
    const long double c = JulianCenturies(t);
    return static_cast<double>(0.0000974L * CosDeg(177.63L + 35999.01848L * c) - 0.005575L);
}

double TProtoDate::EquationOfTime(double t)
{
    const long double c = JulianCenturies(t);
    const long double lambda = poly(c, {280.46645L, 36000.76983L, 0.0003032L});
    const long double anomaly = poly(c, {357.52910L, 35999.05030L, -0.0001559L, -0.00000048L});
    const long double eccentricity = poly(c, {0.016708617L, -0.000042037L, -0.0000001236L});
    const long double halfTan = TanDeg(static_cast<long double>(Obliquity(t)) / 2.0L);
    const long double y = halfTan * halfTan;
    const long double equation =
        kOneOverTwoPi * (y * SinDeg(2.0L * lambda) - 2.0L * eccentricity * SinDeg(anomaly) +
                         4.0L * eccentricity * y * SinDeg(anomaly) * CosDeg(2.0L * lambda) -
                         0.5L * y * y * SinDeg(4.0L * lambda) - 1.25L * eccentricity * eccentricity * SinDeg(2.0L * anomaly));
    return static_cast<double>(Signum(static_cast<double>(equation)) *
                               std::min(std::fabs(equation), HoursToDays(12.0L)));
}

// ---- Depression of the sun ---------------------------------------------------------------------

double TProtoDate::MomentOfDepression(const TLocation& location, bool morning, double approx, double alphaDeg)
{
    double result = 0.0;
    if (!tryMomentOfDepression(location, morning, approx, alphaDeg, result))
        throw InvalidOperationError("Bogus time");
    return result;
}

double TProtoDate::SafeMomentOfDepression(const TLocation& location, bool morning, double approx,
                                          double alphaDeg) noexcept
{
    try {
        double result = 0.0;
        return tryMomentOfDepression(location, morning, approx, alphaDeg, result) ? result : 0.0;
    } catch (...) {
        return 0.0;
    }
}

// ---- Events ------------------------------------------------------------------------------------

double TProtoDate::Dawn(std::int32_t fixed, const TLocation& location, double depressionDeg)
{
    const auto day = static_cast<long double>(fixed);
    double c = SafeMomentOfDepression(location, true, static_cast<double>(day + 0.25L), depressionDeg);
    if (c == 0)
        c = SafeMomentOfDepression(location, true, static_cast<double>(day), depressionDeg);
    if (c == 0)
        c = SafeMomentOfDepression(location, true, static_cast<double>(day + 0.45L), depressionDeg);
    if (c > 0)
        return StandardFromLocal(MomentOfDepression(location, true, c, depressionDeg), location);
    return 0.0;
}

double TProtoDate::Dusk(std::int32_t fixed, const TLocation& location, double depressionDeg)
{
    const auto day = static_cast<long double>(fixed);
    double c = SafeMomentOfDepression(location, false, static_cast<double>(day + 0.75L), depressionDeg);
    if (c == 0) {
        c = SafeMomentOfDepression(location, false, static_cast<double>(day + 0.99L), depressionDeg);
        if (c != 0) {
            // A late trial can land on the next day; then look again from the start of this one.
            if (std::trunc(c) > day)
                c = SafeMomentOfDepression(location, false, static_cast<double>(day), depressionDeg);
        } else {
            c = SafeMomentOfDepression(location, false, static_cast<double>(day + 0.5L), depressionDeg);
        }
    }
    if (c > 0)
        return StandardFromLocal(MomentOfDepression(location, false, c, depressionDeg), location);
    return 0.0;
}

namespace {

/// The sunrise and sunset depression: refraction and semi-diameter plus the dip of the horizon.
double horizonDepression(const TLocation& location) noexcept
{
    const long double height = std::max(location.Elevation, 0.0);
    const long double dip = TProtoDate::ArcCosDeg(kEarthRadiusMetres / (kEarthRadiusMetres + height));
    return static_cast<double>(TProtoDate::Angle(0, 50, 0) + dip);
}

} // namespace

double TProtoDate::Sunrise(std::int32_t fixed, const TLocation& location)
{
    return Dawn(fixed, location, horizonDepression(location));
}

double TProtoDate::Sunset(std::int32_t fixed, const TLocation& location)
{
    return Dusk(fixed, location, horizonDepression(location));
}

} // namespace orbiclock
