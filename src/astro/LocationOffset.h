#pragma once

#include <cstdint>
#include <string>

namespace orbiclock {

class Clock;

/// One place as the update pipeline handles it. The base offset from GMT is kept as whole hours,
/// remaining minutes (both never negative) and a sign; the summer-time rules use the stored coding
/// (N 0 last, 1..4, 5 second-last; J 0 Monday … 6 Sunday; M 0 January … 11 December).
struct TLocationRec {
    std::int32_t IDX = 0;
    std::string name_City;
    std::int32_t id_City = 0;
    std::int32_t id_Country = 0;
    std::int32_t id_Timezone = 0;
    bool UsesSummerTime = false;
    std::int32_t GMTHours = 0;   ///< Trunc(|GMT|)
    std::int32_t GMTMinutes = 0; ///< Round(Frac(|GMT|) × 60), halves to even
    std::int32_t GMTSign = 0;    ///< -1, 0 or 1
    std::int32_t N_summer = 0;
    std::int32_t J_summer = 0;
    std::int32_t M_summer = 0;
    std::int32_t N_winter = 0;
    std::int32_t J_winter = 0;
    std::int32_t M_winter = 0;

    friend bool operator==(const TLocationRec&, const TLocationRec&) = default;
};

/// A clock difference as whole hours and remaining minutes, both carrying the sign of the difference:
/// -3.5 hours is (-3, -30). The difference in hours is Hours + Minutes / 60.
struct LocationOffset {
    std::int32_t Hours = 0;
    std::int32_t Minutes = 0;

    friend bool operator==(const LocationOffset&, const LocationOffset&) = default;
};

/// The GMT reference record: IDX -1, name "GMT", every other field zero or false.
TLocationRec GmtReferenceRecord();

/// Sets GMTHours, GMTMinutes and GMTSign of `rec` from a base offset in hours east of GMT
/// (5.5 gives 5, 30, 1; -3.5 gives 3, 30, -1; 0 gives 0, 0, 0).
/// Raises RangeError when the offset is not a finite number within 32 bits.
void assignGmtOffset(TLocationRec& rec, double gmtHours);

/// How far b's clock is ahead of a's clock at the present local time of `clock`, summer time applied
/// to each: offset(b) − offset(a) as (Hours, Minutes). a's summer time is tested at now; b's at now
/// carried over to b's clock (now + (b − a) with a's summer hour included). The clock is read once
/// for each of the two tests. Raises RangeError on integer overflow.
/// Example: (GmtReferenceRecord(), a place at +5:30 without summer time) gives (5, 30).
LocationOffset ComputeLocationOffset(const TLocationRec& a, const TLocationRec& b, const Clock& clock);

/// A whole number of hours as a signed decimal: "+5", "-3", and "+0" for zero.
std::string signedWholeHours(std::int32_t hours);

} // namespace orbiclock
