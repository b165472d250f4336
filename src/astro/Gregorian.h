#pragma once

#include "astro/StandardDate.h"

#include <cstdint>
#include <memory>
#include <string>

namespace orbiclock {

/// A date of the proleptic Gregorian calendar converted by the calendar's own arithmetic, for any year
/// the 32-bit fixed day numbers reach.
class TGregorian : public TStandardDate {
public:
    using TStandardDate::TStandardDate;

    /// Slot 1: a new TGregorian with Year, Month and Day 0.
    std::unique_ptr<TProtoDate> Create() const override { return std::make_unique<TGregorian>(); }
    /// Slot 2: Year, Month and Day of a fixed day number by Gregorian arithmetic.
    void SetFixed(std::int32_t fixed) override;
    /// Slot 4: FixedFromGregorian(Year, Month, Day).
    std::int32_t GetFixed() const override;
    /// Slot 6: "%s, %d %s %d" with DayName(GetFixed()), Day, MonthName(Month), Year,
    /// e.g. "Saturday, 1 January 2000".
    std::string ToLongString() const override;
    /// Slot 7: IsEqual(other) only when `other` is a TGregorian or a descendant, otherwise false.
    bool Equals(const TObject& other) const override;

    /// The fixed day number of a Gregorian date. Month and day are taken as 16-bit unsigned values
    /// (RangeError outside 0..65535); other months and days count on from the year's start.
    /// Example: FixedFromGregorian(1, 1, 1) = 1, FixedFromGregorian(2000, 1, 1) = 730120.
    static std::int32_t FixedFromGregorian(std::int32_t year, std::int32_t month, std::int32_t day);
    /// Whether `year` is a Gregorian leap year.
    static bool IsGregorianLeap(std::int32_t year);
    /// The Gregorian year in which fixed day `fixed` falls.
    static std::int32_t GregorianYearFromFixed(std::int32_t fixed);
    /// The English name of the weekday of `fixed`, "Sunday" … "Saturday"; fixed day 1 is "Monday".
    static std::string DayName(std::int32_t fixed);
    /// The English name of month `month`, counted cyclically: 1 "January" … 12 "December", 13 "January".
    static std::string MonthName(std::int32_t month);
};

} // namespace orbiclock
