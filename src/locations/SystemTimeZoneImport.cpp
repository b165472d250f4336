#include "locations/SystemTimeZoneImport.h"

namespace orbiclock {
namespace {

constexpr std::int32_t kStoredSummerShiftMinutes = -60;

std::int32_t occurrenceOf(const SystemTime& date)
{
    return date.wDay == 5 ? 0 : date.wDay;
}

std::int32_t weekdayOf(const SystemTime& date)
{
    return date.wDayOfWeek == 0 ? 6 : date.wDayOfWeek - 1;
}

std::int32_t monthOf(const SystemTime& date)
{
    return date.wMonth - 1;
}

} // namespace

SystemTimeZoneImport importSystemTimeZone(const LocationRow& current, const TimeZoneInformation& info)
{
    SystemTimeZoneImport out;
    LocationRow& row = out.row;
    row = current;
    row.id_City = 0;
    row.id_Timezone = 0;
    row.id_Country = 0;
    row.name_City = kImportedZoneName;
    row.name_Country.clear();
    row.name_Timezone.clear();
    row.GMT = static_cast<double>(-static_cast<long double>(info.Bias) / 60.0L);
    row.UsesSummerTime = info.DaylightBias != 0;
    if (row.UsesSummerTime && info.DaylightBias != kStoredSummerShiftMinutes) {
        row.UsesSummerTime = false;
        out.notes.push_back("The system's summer time moves the clock by " + std::to_string(-info.DaylightBias) +
                            " min, but a place's summer time always adds one hour; imported without summer time");
    }
    row.N_summer = occurrenceOf(info.DaylightDate);
    row.J_summer = weekdayOf(info.DaylightDate);
    row.M_summer = monthOf(info.DaylightDate);
    row.H_summer = 3;
    row.N_winter = occurrenceOf(info.StandardDate);
    row.J_winter = weekdayOf(info.StandardDate);
    row.M_winter = monthOf(info.StandardDate);
    row.H_winter = 2;
    row.PosX = 0;
    row.PosY = 0;
    return out;
}

} // namespace orbiclock
