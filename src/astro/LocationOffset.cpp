#include "astro/LocationOffset.h"

#include "astro/CheckedMath.h"
#include "astro/Clock.h"
#include "astro/SummerTime.h"

#include <cmath>

namespace orbiclock {
namespace {

/// The place's base offset as signed (hours, minutes), before any summer hour.
LocationOffset baseOffset(const TLocationRec& rec)
{
    return {checkedMul(rec.GMTSign, rec.GMTHours), checkedMul(rec.GMTSign, rec.GMTMinutes)};
}

/// The place's summer-time rules, in the coding IsSummerTime takes (J and M counted from 1), tested at `when`.
bool summerTimeAt(const TLocationRec& rec, DateTime when)
{
    return IsSummerTime(rec.N_summer, checkedAdd(rec.J_summer, 1), checkedAdd(rec.M_summer, 1), rec.N_winter,
                        checkedAdd(rec.J_winter, 1), checkedAdd(rec.M_winter, 1), when);
}

} // namespace

TLocationRec GmtReferenceRecord()
{
    TLocationRec rec;
    rec.IDX = -1;
    rec.name_City = "GMT";
    return rec;
}

void assignGmtOffset(TLocationRec& rec, double gmtHours)
{
    const long double magnitude = std::fabs(static_cast<long double>(gmtHours));
    const std::int32_t hours = truncToInt32(magnitude);
    const long double fraction = magnitude - std::trunc(magnitude);
    const std::int32_t minutes = roundHalfEvenToInt32(fraction * 60.0L);
    rec.GMTHours = hours;
    rec.GMTMinutes = minutes;
    rec.GMTSign = gmtHours > 0.0 ? 1 : (gmtHours < 0.0 ? -1 : 0);
}

LocationOffset ComputeLocationOffset(const TLocationRec& a, const TLocationRec& b, const Clock& clock)
{
    LocationOffset offsetA = baseOffset(a);
    if (a.UsesSummerTime && summerTimeAt(a, clock.now()))
        offsetA.Hours = checkedAdd(offsetA.Hours, 1);

    LocationOffset offsetB = baseOffset(b);
    if (b.UsesSummerTime) {
        // The present time read as a's clock, carried over to b's clock.
        const long double shiftDays =
            static_cast<long double>(checkedSub(offsetB.Hours, offsetA.Hours)) / 24.0L +
            static_cast<long double>(checkedSub(offsetB.Minutes, offsetA.Minutes)) / 1440.0L;
        const auto moment = static_cast<DateTime>(static_cast<long double>(clock.now()) + shiftDays);
        if (summerTimeAt(b, moment))
            offsetB.Hours = checkedAdd(offsetB.Hours, 1);
    }

    return {checkedSub(offsetB.Hours, offsetA.Hours), checkedSub(offsetB.Minutes, offsetA.Minutes)};
}

std::string signedWholeHours(std::int32_t hours)
{
    const std::string digits = std::to_string(hours);
    return hours < 0 ? digits : "+" + digits;
}

} // namespace orbiclock
