#pragma once

#include "astro/DateTime.h"

namespace orbiclock {

/// Source of "now": the computer's local date and time as a date-time value
/// (days since 30 December 1899, time of day as fraction). Injected so tests are deterministic.
class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime now() const = 0;
};

/// The system clock in the process's local time zone (TZ or /etc/localtime).
class SystemClock final : public Clock {
public:
    DateTime now() const override;
};

/// A clock that always answers the same moment; for tests and benchmarks.
class FixedClock final : public Clock {
public:
    explicit FixedClock(DateTime moment) noexcept : m_moment(moment) {}
    DateTime now() const override { return m_moment; }
    void set(DateTime moment) noexcept { m_moment = moment; }

private:
    DateTime m_moment;
};

} // namespace orbiclock
