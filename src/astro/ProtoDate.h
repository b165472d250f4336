#pragma once

#include "astro/Object.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace orbiclock {

class TLocation;

/// The root of the date classes, and the home of the calendar arithmetic and the sun model as class
/// operations (static, no object needed).
///
/// The virtual operations come in a fixed slot order; the ones that only a concrete calendar can
/// answer raise AbstractError here and in TDate.
///
/// Day counts: a fixed day number counts days from Monday 1 January of year 1 (day 1) in the proleptic
/// Gregorian calendar; a moment is a fixed day number plus the fraction of the day.
class TProtoDate : public TObject {
public:
    TProtoDate() = default;

    // ---- Virtual operations, in slot order -------------------------------------------------------

    /// Slot 0: whether `other` names the same day. Raises AbstractError here.
    virtual bool IsEqual(const TProtoDate& other) const;
    /// Slot 1: the virtual constructor: a new object of this object's class with no state.
    virtual std::unique_ptr<TProtoDate> Create() const;
    /// Slot 2: sets the date from a fixed day number. Raises AbstractError here.
    virtual void SetFixed(std::int32_t fixed);
    /// Slot 3: sets the date from its fields (Year, Month, Day for the standard dates). Raises AbstractError here.
    virtual void SetFields(std::span<const std::int32_t> values);
    /// Slot 4: the fixed day number of the date. Raises AbstractError here.
    virtual std::int32_t GetFixed() const;
    /// Slot 5: the date as short text. Raises AbstractError here.
    virtual std::string ToString() const;
    /// Slot 6: the date as long text. Raises AbstractError here.
    virtual std::string ToLongString() const;
    /// Slot 7: IsEqual(other) when `other` is a TProtoDate or a descendant, otherwise false.
    virtual bool Equals(const TObject& other) const;
    /// Slot 8: whether the new crescent moon can be seen on the evening before `fixed` at `location`.
    /// The lunar model is not part of this build: raises NotSupportedError.
    virtual bool IsCrescentVisible(std::int32_t fixed, const TLocation& location) const;

    // ---- Arithmetic ------------------------------------------------------------------------------

    /// The largest integer not above x: Trunc(x), minus 1 when the fraction of x is negative.
    /// Raises RangeError for NaN or beyond 64 bits. Example: Floor(-0.5) = -1.
    static std::int64_t Floor(long double x);
    /// x - y·Floor(x / y); the result takes the sign of y. Example: Modulo(-1, 360) = 359.
    static long double Modulo(long double x, long double y);
    /// x - y·Floor(x / y) for integers, the division done in floating point. Raises RangeError for y = 0.
    static std::int32_t IntModulo(std::int32_t x, std::int32_t y);
    /// Floor(x / y) as a 32-bit integer; raises RangeError outside 32 bits.
    static std::int32_t Quotient(double x, double y);
    /// y + IntModulo(x, -y): a value in 1..y for positive y. Example: AdjustedModulo(7, 7) = 7.
    static std::int32_t AdjustedModulo(std::int32_t x, std::int32_t y);
    /// -1 when x < 0, 1 when x > 0, otherwise 0.
    static int Signum(double x) noexcept;
    /// b - a in days; raises RangeError on overflow.
    static std::int32_t DayDifference(std::int32_t a, std::int32_t b);
    /// Hours as a fraction of a day: x / 24.
    static long double HoursToDays(long double hours) noexcept;
    /// Degrees + (Minutes + Seconds / 60) / 60, in degrees. Example: Angle(0, 50, 0) = 0.8333….
    static double Angle(double degrees, double minutes, double seconds) noexcept;
    /// Modulo(x, 360): an angle in degrees in [0, 360).
    static long double Normalize360(long double x);
    /// Sine of x degrees.
    static long double SinDeg(long double x) noexcept;
    /// Cosine of x degrees.
    static long double CosDeg(long double x) noexcept;
    /// Tangent of x degrees.
    static long double TanDeg(long double x) noexcept;
    /// Arc sine of x in degrees, as atan2(x, √(1 − x²)).
    static long double ArcSinDeg(long double x) noexcept;
    /// Arc cosine of x in degrees, as atan2(√(1 − x²), x).
    static long double ArcCosDeg(long double x) noexcept;
    /// The arc tangent of y in degrees, put into the given quadrant (1 to 4) and normalised to [0, 360).
    static long double ArcTanDeg(long double y, int quadrant);

    // ---- Sun model (Reingold and Dershowitz, "Calendrical Calculations"; Meeus, "Astronomical Algorithms")

    /// Noon of 1 January 2000 as a moment: FixedFromGregorian(2000, 1, 1) + HoursToDays(12).
    static constexpr double J2000 = 730120.5;

    /// Universal time of a local mean time `t` at `location`: t − Longitude / 360.
    static double UniversalFromLocal(double t, const TLocation& location) noexcept;
    /// Standard time of a universal time: t + Zone / 24.
    static double StandardFromUniversal(double t, const TLocation& location) noexcept;
    /// Universal time of a standard time: t − Zone / 24.
    static double UniversalFromStandard(double t, const TLocation& location) noexcept;
    /// Standard time of a local mean time.
    static double StandardFromLocal(double t, const TLocation& location) noexcept;
    /// Local mean time of an apparent (sundial) time: t − EquationOfTime(t).
    static double LocalFromApparent(double t);
    /// Dynamical time of a universal time: t + EphemerisCorrection(t).
    static double DynamicalFromUniversal(double t);
    /// Dynamical minus universal time at moment t, in days, from the row of t's year.
    static double EphemerisCorrection(double t);
    /// Julian centuries of dynamical time since J2000.
    static double JulianCenturies(double t);
    /// Obliquity of the ecliptic at moment t, in degrees.
    static double Obliquity(double t);
    /// Apparent longitude of the sun at moment t in degrees, [0, 360): a 49-term series corrected for
    /// aberration and nutation.
    static double SolarLongitude(double t);
    /// Nutation in longitude at moment t, in degrees.
    static double Nutation(double t);
    /// Aberration at moment t, in degrees.
    static double Aberration(double t);
    /// Apparent minus mean solar time at moment t, in days, clamped to ±0.5.
    static double EquationOfTime(double t);
    /// The local mean time on the day of `approx` at which the sun's centre is `alphaDeg` degrees below
    /// the horizon, in the morning or the evening; the declination is taken at `approx`.
    /// Raises InvalidOperationError "Bogus time" when the sun never reaches that depression.
    static double MomentOfDepression(const TLocation& location, bool morning, double approx, double alphaDeg);
    /// MomentOfDepression with any failure turned into 0.
    static double SafeMomentOfDepression(const TLocation& location, bool morning, double approx,
                                         double alphaDeg) noexcept;

    /// Standard time (a moment) in the morning of day `fixed` at which the sun's centre is `depressionDeg`
    /// below the horizon; 0 when the trials find none. Raises InvalidOperationError "Bogus time" when a
    /// trial finds the event but the refinement does not (near the polar circles).
    static double Dawn(std::int32_t fixed, const TLocation& location, double depressionDeg);
    /// The same as Dawn in the evening.
    static double Dusk(std::int32_t fixed, const TLocation& location, double depressionDeg);
    /// Dawn with the sun's upper edge on the horizon: 50′ of refraction and semi-diameter plus the dip
    /// of the horizon from the place's elevation.
    static double Sunrise(std::int32_t fixed, const TLocation& location);
    /// Dusk with the depression of Sunrise.
    static double Sunset(std::int32_t fixed, const TLocation& location);
};

} // namespace orbiclock
