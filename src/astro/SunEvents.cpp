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
#include <cstring>
#include <initializer_list>
#include <limits>
#include <math.h> // sincosl
#include <numbers>

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

/// The same factor as TProtoDate::SinDeg and CosDeg use, so that sinCosDeg gives their results.
constexpr long double kRadiansPerDegree = std::numbers::pi_v<long double> / 180.0L;

/// SinDeg(x) and CosDeg(x) from one call: the C library reduces the argument once and evaluates the same
/// kernels as for sin and cos, so both results are bit for bit those of the two separate calls.
void sinCosDeg(long double x, long double& sine, long double& cosine) noexcept
{
    ::sincosl(x * kRadiansPerDegree, &sine, &cosine);
}

/// TProtoDate::Floor read from the bits of the extended real. Floor goes through the FPU's rounding
/// mode, and switching it back and forth costs more than a term of the solar longitude; the sun events
/// need a few floors per evaluation. Arguments outside ±2^63, infinities and NaN take Floor itself, so the
/// errors stay the same.
std::int64_t floorOf(long double x)
{
    static_assert(std::numeric_limits<long double>::digits == 64, "x87 80-bit extended reals expected");
    std::uint64_t mantissa = 0; // explicit integer bit at bit 63
    std::uint16_t signAndExponent = 0;
    std::memcpy(&mantissa, &x, sizeof mantissa);
    std::memcpy(&signAndExponent, reinterpret_cast<const unsigned char*>(&x) + sizeof mantissa, sizeof signAndExponent);
    const int exponent = (signAndExponent & 0x7FFF) - 16383;
    const bool negative = (signAndExponent & 0x8000) != 0;
    if (exponent < 0) // |x| < 1, zero and subnormals included
        return negative && mantissa != 0 ? -1 : 0;
    if (exponent > 62 || (mantissa >> 63) == 0) // large, infinite, NaN or not a normal encoding
        return TProtoDate::Floor(x);
    const auto whole = static_cast<std::int64_t>(mantissa >> (63 - exponent));
    const bool fraction = (mantissa << (exponent + 1)) != 0;
    if (!negative)
        return whole;
    return fraction ? -whole - 1 : -whole;
}

/// TProtoDate::Modulo with floorOf: x − y·Floor(x / y).
long double moduloOf(long double x, long double y)
{
    return x - y * static_cast<long double>(floorOf(x / y));
}

/// What the sun events remember between calls on this thread. The sun table evaluates the same trial
/// moments for every row of a day (all rows share longitude 0), moves through the rows one latitude at a
/// time, and uses two depressions; every clock of the page repeats the pattern with its own longitude.
/// The memories hold results of pure functions of their keys, so they never change a result.
/// Trivially constructed: no allocation, no locking.
struct SunMemory {
    /// The ephemeris correction depends on the year only; kept per day [day, day + 1).
    struct DayCorrection {
        double day = 0.0;
        double correction = 0.0;
        bool used = false;
    };
    /// The sun's declination at a universal moment with the two functions of it the depression needs.
    struct Declination {
        double moment = 0.0;
        double declination = 0.0;
        long double tangent = 0.0L; ///< TanDeg(declination)
        long double cosine = 0.0L;  ///< CosDeg(declination)
        bool used = false;
    };
    /// SinDeg of a depression.
    struct Depression {
        std::uint64_t bits = 0;
        long double sine = 0.0L;
        bool used = false;
    };

    std::array<DayCorrection, 4> corrections{};
    std::size_t nextCorrection = 0;
    std::array<Declination, 8> declinations{};
    std::size_t nextDeclination = 0;
    std::array<Depression, 2> depressions{};
    std::size_t nextDepression = 0;
    std::uint64_t latitudeBits = 0;  ///< the latitude whose TanDeg and CosDeg are kept
    bool latitudeUsed = false;
    long double latitudeTangent = 0.0L;
    long double latitudeCosine = 0.0L;
};

thread_local SunMemory tSunMemory;

std::uint64_t bitsOf(double value) noexcept
{
    return std::bit_cast<std::uint64_t>(value);
}

// The position of the sun from the Julian centuries c of its moment: every function of the moment below
// starts from the same c, so it is computed once per moment.

double obliquityAt(long double c)
{
    return static_cast<double>(TProtoDate::Angle(23, 26, 21.448) +
                               poly(c, {0.0L, TProtoDate::Angle(0, 0, -46.815), TProtoDate::Angle(0, 0, -0.00059),
                                        TProtoDate::Angle(0, 0, 0.001813)}));
}

double nutationAt(long double c)
{
    const long double a = poly(c, {124.90L, -1934.134L, 0.002063L});
    const long double b = poly(c, {201.11L, 72001.5377L, 0.00057L});
    return static_cast<double>(-0.004778L * TProtoDate::SinDeg(a) - 0.0003667L * TProtoDate::SinDeg(b));
}

double aberrationAt(long double c)
{
    return static_cast<double>(0.0000974L * TProtoDate::CosDeg(177.63L + 35999.01848L * c) - 0.005575L);
}

double solarLongitudeAt(long double c)
{
    long double sum = 0.0L;
    for (const PeriodicTerm& term : kSolarLongitudeTerms)
        sum += static_cast<long double>(term.x) * TProtoDate::SinDeg(static_cast<long double>(term.y) * c + term.z);
    const long double lambda = 282.7771834L + 36000.76953744L * c + 0.000005729577951308232L * sum;
    return static_cast<double>(moduloOf(lambda + aberrationAt(c) + nutationAt(c), 360.0L));
}

/// The sun's declination at universal moment t in degrees, from the obliquity and the solar longitude,
/// with its tangent and cosine. `remember` keeps it for later calls at the same moment; the searches
/// remember their trial moments, which recur, and not their refined ones, which do not.
SunMemory::Declination solarDeclination(double t, bool remember)
{
    SunMemory& memory = tSunMemory;
    const std::uint64_t key = bitsOf(t);
    for (const SunMemory::Declination& entry : memory.declinations)
        if (entry.used && bitsOf(entry.moment) == key)
            return entry;

    const long double c = TProtoDate::JulianCenturies(t);
    const auto declination = static_cast<double>(
        TProtoDate::ArcSinDeg(TProtoDate::SinDeg(obliquityAt(c)) * TProtoDate::SinDeg(solarLongitudeAt(c))));
    const SunMemory::Declination entry{t, declination, TProtoDate::TanDeg(declination), TProtoDate::CosDeg(declination),
                                       true};
    if (remember) {
        memory.declinations[memory.nextDeclination] = entry;
        memory.nextDeclination = (memory.nextDeclination + 1) % memory.declinations.size();
    }
    return entry;
}

/// SinDeg of a depression, remembered for the two a day's events use.
long double depressionSine(double alphaDeg)
{
    SunMemory& memory = tSunMemory;
    const std::uint64_t key = bitsOf(alphaDeg);
    for (const SunMemory::Depression& entry : memory.depressions)
        if (entry.used && entry.bits == key)
            return entry.sine;
    SunMemory::Depression& entry = memory.depressions[memory.nextDepression];
    memory.nextDepression = (memory.nextDepression + 1) % memory.depressions.size();
    entry = {key, TProtoDate::SinDeg(alphaDeg), true};
    return entry.sine;
}

/// MomentOfDepression without the exception: false when the sun never reaches the depression
/// (|s| > 1), so that the trials of the searches cost no exception.
bool tryMomentOfDepression(const TLocation& location, bool morning, double approx, double alphaDeg, bool remember,
                           double& result)
{
    SunMemory& memory = tSunMemory;
    const double phi = location.Latitude;
    if (!memory.latitudeUsed || memory.latitudeBits != bitsOf(phi)) {
        memory.latitudeTangent = TProtoDate::TanDeg(phi);
        memory.latitudeCosine = TProtoDate::CosDeg(phi);
        memory.latitudeBits = bitsOf(phi);
        memory.latitudeUsed = true;
    }
    const long double tanPhi = memory.latitudeTangent;
    const long double cosPhi = memory.latitudeCosine;
    const double t = TProtoDate::UniversalFromLocal(approx, location);
    const SunMemory::Declination sun = solarDeclination(t, remember);
    const auto s = static_cast<double>(tanPhi * sun.tangent + depressionSine(alphaDeg) / (sun.cosine * cosPhi));
    if (!(std::fabs(s) <= 1.0)) {
        if (std::isnan(s))
            throw InvalidOperationError("Invalid floating point operation");
        return false;
    }
    const auto offset = static_cast<double>(moduloOf(TProtoDate::ArcSinDeg(s) / 360.0L + 0.5L, 1.0L) - 0.5L);
    const auto day = static_cast<long double>(floorOf(approx));
    const long double apparent = morning ? day + 0.25L - offset : day + 0.75L + offset;
    result = TProtoDate::LocalFromApparent(static_cast<double>(apparent));
    return true;
}

/// A trial of the searches: SafeMomentOfDepression, remembering the sun at the trial moment.
double trialMoment(const TLocation& location, bool morning, double approx, double alphaDeg) noexcept
{
    try {
        double result = 0.0;
        return tryMomentOfDepression(location, morning, approx, alphaDeg, true, result) ? result : 0.0;
    } catch (...) {
        return 0.0;
    }
}

/// The refining step of the searches: MomentOfDepression at the trial's result, which no other row or
/// event shares, so the sun there is not remembered.
double refinedMoment(const TLocation& location, bool morning, double approx, double alphaDeg)
{
    double result = 0.0;
    if (!tryMomentOfDepression(location, morning, approx, alphaDeg, false, result))
        throw InvalidOperationError("Bogus time");
    return result;
}

} // namespace

void clearSunPositionCache() noexcept
{
    tSunMemory = SunMemory{};
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
    // Every evaluation of the sun's position starts here; the year behind t changes rarely.
    SunMemory& memory = tSunMemory;
    for (const SunMemory::DayCorrection& entry : memory.corrections)
        if (entry.used && entry.day <= t && t < entry.day + 1.0)
            return entry.correction;

    const std::int64_t floorDay = Floor(t);
    const std::int32_t year = TStandardDate::YearFromFixed(narrowToInt32(floorDay));
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
    const auto result = static_cast<double>(correction);
    memory.corrections[memory.nextCorrection] = {static_cast<double>(floorDay), result, true};
    memory.nextCorrection = (memory.nextCorrection + 1) % memory.corrections.size();
    return result;
}

double TProtoDate::JulianCenturies(double t)
{
    return static_cast<double>((static_cast<long double>(DynamicalFromUniversal(t)) - J2000) / 36525.0L);
}

// ---- Position of the sun -----------------------------------------------------------------------

double TProtoDate::Obliquity(double t)
{
    return obliquityAt(JulianCenturies(t));
}

double TProtoDate::SolarLongitude(double t)
{
    return solarLongitudeAt(JulianCenturies(t));
}

double TProtoDate::Nutation(double t)
{
    return nutationAt(JulianCenturies(t));
}

double TProtoDate::Aberration(double t)
{
    return aberrationAt(JulianCenturies(t));
}

double TProtoDate::EquationOfTime(double t)
{
    const long double c = JulianCenturies(t);
    const long double lambda = poly(c, {280.46645L, 36000.76983L, 0.0003032L});
    const long double anomaly = poly(c, {357.52910L, 35999.05030L, -0.0001559L, -0.00000048L});
    const long double eccentricity = poly(c, {0.016708617L, -0.000042037L, -0.0000001236L});
    const long double halfTan = TanDeg(static_cast<long double>(obliquityAt(c)) / 2.0L);
    const long double y = halfTan * halfTan;
    long double sinTwoLambda = 0.0L;
    long double cosTwoLambda = 0.0L;
    sinCosDeg(2.0L * lambda, sinTwoLambda, cosTwoLambda);
    const long double sinAnomaly = SinDeg(anomaly);
    const long double equation =
        kOneOverTwoPi * (y * sinTwoLambda - 2.0L * eccentricity * sinAnomaly +
                         4.0L * eccentricity * y * sinAnomaly * cosTwoLambda -
                         0.5L * y * y * SinDeg(4.0L * lambda) - 1.25L * eccentricity * eccentricity * SinDeg(2.0L * anomaly));
    return static_cast<double>(Signum(static_cast<double>(equation)) *
                               std::min(std::fabs(equation), HoursToDays(12.0L)));
}

// ---- Depression of the sun ---------------------------------------------------------------------

double TProtoDate::MomentOfDepression(const TLocation& location, bool morning, double approx, double alphaDeg)
{
    double result = 0.0;
    if (!tryMomentOfDepression(location, morning, approx, alphaDeg, true, result))
        throw InvalidOperationError("Bogus time");
    return result;
}

double TProtoDate::SafeMomentOfDepression(const TLocation& location, bool morning, double approx,
                                          double alphaDeg) noexcept
{
    try {
        double result = 0.0;
        return tryMomentOfDepression(location, morning, approx, alphaDeg, true, result) ? result : 0.0;
    } catch (...) {
        return 0.0;
    }
}

// ---- Events ------------------------------------------------------------------------------------

double TProtoDate::Dawn(std::int32_t fixed, const TLocation& location, double depressionDeg)
{
    const auto day = static_cast<long double>(fixed);
    double c = trialMoment(location, true, static_cast<double>(day + 0.25L), depressionDeg);
    if (c == 0)
        c = trialMoment(location, true, static_cast<double>(day), depressionDeg);
    if (c == 0)
        c = trialMoment(location, true, static_cast<double>(day + 0.45L), depressionDeg);
    if (c > 0)
        return StandardFromLocal(refinedMoment(location, true, c, depressionDeg), location);
    return 0.0;
}

double TProtoDate::Dusk(std::int32_t fixed, const TLocation& location, double depressionDeg)
{
    const auto day = static_cast<long double>(fixed);
    double c = trialMoment(location, false, static_cast<double>(day + 0.75L), depressionDeg);
    if (c == 0) {
        c = trialMoment(location, false, static_cast<double>(day + 0.99L), depressionDeg);
        if (c != 0) {
            // A late trial can land on the next day; then look again from the start of this one.
            if (std::trunc(c) > day)
                c = trialMoment(location, false, static_cast<double>(day), depressionDeg);
        } else {
            c = trialMoment(location, false, static_cast<double>(day + 0.5L), depressionDeg);
        }
    }
    if (c > 0)
        return StandardFromLocal(refinedMoment(location, false, c, depressionDeg), location);
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
