#include "astro/StandardDate.h"

#include "astro/CheckedMath.h"
#include "astro/FixedDay.h"
#include "astro/OrbiclockError.h"

namespace orbiclock {

bool TStandardDate::IsEqual(const TProtoDate& other) const
{
    const auto* date = dynamic_cast<const TStandardDate*>(&other);
    return date != nullptr && date->Year == Year && date->Month == Month && date->Day == Day;
}

void TStandardDate::SetFixed(std::int32_t fixed)
{
    SetFromDateTime(static_cast<DateTime>(checkedSub(fixed, kFixedOfDateTimeZero)));
}

void TStandardDate::SetFields(std::span<const std::int32_t> values)
{
    // Reading past the end of a short list would take whatever follows it in memory.
    if (values.size() < 3)
        throw RangeError("A date needs three fields (year, month, day), got " + std::to_string(values.size()));
    Year = values[0];
    Month = values[1];
    Day = values[2];
}

std::int32_t TStandardDate::GetFixed() const
{
    return checkedAdd(truncToInt32(AsDateTime()), kFixedOfDateTimeZero);
}

std::string TStandardDate::ToString() const
{
    return shortDateText(AsDateTime());
}

std::string TStandardDate::ToLongString() const
{
    return ToString();
}

DateTime TStandardDate::AsDateTime() const
{
    // encodeDate rejects everything outside years 1 to 9999, so no value is cut to 16 bits on the way.
    return encodeDate(Year, Month, Day);
}

void TStandardDate::SetFromDateTime(DateTime value)
{
    const CivilDate date = decodeDate(value);
    Year = date.year;
    Month = date.month;
    Day = date.day;
}

std::int32_t TStandardDate::YearFromFixed(std::int32_t fixed)
{
    return decodeDate(static_cast<DateTime>(checkedSub(fixed, kFixedOfDateTimeZero))).year;
}

} // namespace orbiclock
