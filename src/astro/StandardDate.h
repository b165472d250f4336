#pragma once

#include "astro/Date.h"
#include "astro/DateTime.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace orbiclock {

/// A Gregorian date held as Year, Month, Day and converted through the date-time encoder and decoder
/// (years 1 to 9999). Operations on fields that do not form a valid date raise RangeError "Invalid date: …".
class TStandardDate : public TDate {
public:
    TStandardDate() = default;
    TStandardDate(std::int32_t year, std::int32_t month, std::int32_t day) : Year(year), Month(month), Day(day) {}

    /// Slot 0: true when `other` is a TStandardDate (or descendant) with the same Year, Month and Day.
    bool IsEqual(const TProtoDate& other) const override;
    /// Slot 1: a new object of this class with Year, Month and Day 0.
    std::unique_ptr<TProtoDate> Create() const override { return std::make_unique<TStandardDate>(); }
    /// Slot 2: decodes the date-time value fixed − 693594. Raises RangeError outside years 1 to 9999.
    void SetFixed(std::int32_t fixed) override;
    /// Slot 3: Year, Month, Day := values[0], values[1], values[2]; further values are ignored.
    /// Raises RangeError when fewer than three values are given.
    void SetFields(std::span<const std::int32_t> values) override;
    /// Slot 4: Trunc(AsDateTime()) + 693594.
    std::int32_t GetFixed() const override;
    /// Slot 5: the short date text of the current LC_TIME locale (shortDateText).
    std::string ToString() const override;
    /// Slot 6: the text of slot 5.
    std::string ToLongString() const override;

    /// Slot 9: the date-time value of the date (midnight).
    virtual DateTime AsDateTime() const;

    /// Decodes the day of a date-time value into Year, Month and Day. Raises RangeError outside years 1 to 9999.
    void SetFromDateTime(DateTime value);

    /// The year of a fixed day number, by decoding the date-time value fixed − 693594.
    /// Raises RangeError outside years 1 to 9999.
    static std::int32_t YearFromFixed(std::int32_t fixed);

    std::int32_t Year = 0;
    std::int32_t Month = 0; ///< 1 January … 12 December
    std::int32_t Day = 0;
};

} // namespace orbiclock
