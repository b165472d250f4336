#include "astro/SystemTimeZoneInfo.h"

#include "astro/TzifFile.h"

#include <cstdlib>
#include <new>
#include <system_error>

namespace orbiclock {
namespace {

constexpr std::int32_t kSecondsPerDay = 86400;

/// Whole minutes of a bias in seconds; an offset with seconds is rounded to the nearest minute.
std::int32_t minutesOf(std::int32_t seconds, const char* what, SystemTimeZoneReading& reading)
{
    const std::int32_t rounded = (seconds >= 0 ? seconds + 30 : seconds - 30) / 60;
    if (seconds % 60 != 0)
        reading.notes.push_back(reading.source + ": the " + what + " " + std::to_string(seconds) +
                                " s is not whole minutes; rounded to " + std::to_string(rounded) + " min");
    return rounded;
}

SystemTime recurringDate(const PosixTransitionRule& rule)
{
    SystemTime t;
    t.wMonth = static_cast<std::uint16_t>(rule.month);
    t.wDayOfWeek = static_cast<std::uint16_t>(rule.weekday);
    t.wDay = static_cast<std::uint16_t>(rule.week);
    if (rule.timeSeconds >= kSecondsPerDay) {
        t.wHour = 23;
        t.wMinute = 59;
        t.wSecond = 59;
        t.wMilliseconds = 999;
    } else if (rule.timeSeconds > 0) {
        t.wHour = static_cast<std::uint16_t>(rule.timeSeconds / 3600);
        t.wMinute = static_cast<std::uint16_t>(rule.timeSeconds / 60 % 60);
        t.wSecond = static_cast<std::uint16_t>(rule.timeSeconds % 60);
    }
    return t;
}

std::string ruleText(const PosixTransitionRule& rule)
{
    switch (rule.form) {
    case PosixTransitionRule::Form::JulianNoLeap:
        return "J" + std::to_string(rule.dayOfYear);
    case PosixTransitionRule::Form::ZeroBasedDay:
        return std::to_string(rule.dayOfYear);
    case PosixTransitionRule::Form::MonthWeekDay:
        break;
    }
    return "M" + std::to_string(rule.month) + "." + std::to_string(rule.week) + "." + std::to_string(rule.weekday);
}

/// Summer time from the first moment of the year to the first moment of the next, as tzdata writes a
/// zone that keeps its summer offset all year (RFC 8536, 3.3.1).
bool isAllYear(const PosixTimeZone& zone)
{
    const PosixDaylightTime& d = *zone.daylight;
    const bool fromNewYear = ((d.start.form == PosixTransitionRule::Form::ZeroBasedDay && d.start.dayOfYear == 0) ||
                              (d.start.form == PosixTransitionRule::Form::JulianNoLeap && d.start.dayOfYear == 1)) &&
                             d.start.timeSeconds <= 0;
    const bool toNewYear = d.end.form == PosixTransitionRule::Form::JulianNoLeap && d.end.dayOfYear == 365 &&
                           d.end.timeSeconds >= kSecondsPerDay + (zone.standardOffsetSeconds - d.offsetSeconds);
    return fromNewYear && toNewYear;
}

SystemTimeZoneReading utc(std::string source)
{
    SystemTimeZoneReading reading;
    reading.source = std::move(source);
    reading.info.StandardName = "UTC";
    return reading;
}

SystemTimeZoneReading fromPosixText(const std::string& text, const std::string& source)
{
    return timeZoneInformationFromPosix(parsePosixTimeZone(text), source);
}

/// The zone of a TZif file through its closing rule; without one, the last local time type as
/// standard time.
SystemTimeZoneReading fromTzifFile(const std::filesystem::path& file, const std::string& source)
{
    const TzifSummary tzif = readTzifFile(file);
    if (!tzif.footer.empty()) {
        try {
            return fromPosixText(tzif.footer, source);
        } catch (const TimeZoneRuleError& e) {
            SystemTimeZoneReading reading = utc(source);
            reading.notes.push_back(source + ": " + e.what() + "; imported as UTC");
            return reading;
        }
    }
    SystemTimeZoneReading reading;
    reading.source = source;
    reading.info.StandardName = tzif.lastDesignation;
    reading.info.Bias = minutesOf(-tzif.lastUtOffsetSeconds, "offset", reading);
    reading.notes.push_back(source + ": the zone file has no rule for the years after its last change; its last "
                            "offset " + std::to_string(-reading.info.Bias) +
                            " min east is imported without summer time");
    return reading;
}

SystemTimeZoneReading fromTzVariable(const std::string& tz, const std::filesystem::path& zoneInfoDir)
{
    const std::string source = "TZ=" + tz;
    const std::string name = !tz.empty() && tz.front() == ':' ? tz.substr(1) : tz;
    if (name.empty())
        return utc(source);
    const std::filesystem::path asPath(name);
    const std::filesystem::path file = asPath.is_absolute() ? asPath : zoneInfoDir / asPath;
    std::error_code ec;
    if (std::filesystem::is_regular_file(file, ec))
        return fromTzifFile(file, source);
    try {
        return fromPosixText(name, source);
    } catch (const TimeZoneRuleError& e) {
        SystemTimeZoneReading reading = utc(source);
        reading.notes.push_back(source + ": no zone file " + file.string() + " and " + e.what() +
                                "; imported as UTC");
        return reading;
    }
}

} // namespace

SystemTimeZoneReading timeZoneInformationFromPosix(const PosixTimeZone& zone, const std::string& source)
{
    SystemTimeZoneReading reading;
    reading.source = source;
    TimeZoneInformation& info = reading.info;
    info.StandardName = zone.standardName;
    info.Bias = minutesOf(zone.standardOffsetSeconds, "standard offset", reading);
    if (!zone.daylight)
        return reading;

    const PosixDaylightTime& daylight = *zone.daylight;
    const bool recurring = daylight.start.form == PosixTransitionRule::Form::MonthWeekDay &&
                           daylight.end.form == PosixTransitionRule::Form::MonthWeekDay;
    if (!recurring) {
        if (isAllYear(zone)) {
            info.StandardName = daylight.name;
            info.Bias = minutesOf(daylight.offsetSeconds, "summer-time offset", reading);
            return reading;
        }
        reading.notes.push_back(source + ": summer time changes on days of the year (" + ruleText(daylight.start) +
                                ", " + ruleText(daylight.end) +
                                "), which a month, weekday and week cannot express; imported without summer time");
        return reading;
    }
    if (daylight.offsetSeconds == zone.standardOffsetSeconds)
        return reading;

    // A summer time behind standard time is the same clock read the other way round: the winter time
    // is the standard time, and the changes swap (each keeps the local time it is written in).
    const bool behind = daylight.offsetSeconds > zone.standardOffsetSeconds;
    const std::int32_t standardOffset = behind ? daylight.offsetSeconds : zone.standardOffsetSeconds;
    const std::int32_t summerOffset = behind ? zone.standardOffsetSeconds : daylight.offsetSeconds;
    info.StandardName = behind ? daylight.name : zone.standardName;
    info.DaylightName = behind ? zone.standardName : daylight.name;
    info.Bias = behind ? minutesOf(standardOffset, "standard offset", reading) : info.Bias;
    info.DaylightBias = minutesOf(summerOffset - standardOffset, "summer-time shift", reading);
    info.DaylightDate = recurringDate(behind ? daylight.end : daylight.start);
    info.StandardDate = recurringDate(behind ? daylight.start : daylight.end);
    return reading;
}

TimeZoneEnvironment TimeZoneEnvironment::fromProcess()
{
    TimeZoneEnvironment env;
    if (const char* tz = std::getenv("TZ"))
        env.tz = tz;
    if (const char* dir = std::getenv("TZDIR"); dir != nullptr && *dir != '\0')
        env.zoneInfoDir = dir;
    return env;
}

SystemTimeZoneReading readSystemTimeZone(const TimeZoneEnvironment& environment)
{
    const std::string source = environment.tz ? "TZ=" + *environment.tz : environment.localTimeFile.string();
    try {
        if (environment.tz)
            return fromTzVariable(*environment.tz, environment.zoneInfoDir);
        std::error_code ec;
        if (!std::filesystem::exists(environment.localTimeFile, ec))
            return utc(source);
        return fromTzifFile(environment.localTimeFile, source);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        SystemTimeZoneReading reading = utc(source);
        reading.notes.push_back(source + ": " + e.what() + "; imported as UTC");
        return reading;
    }
}

SystemTimeZoneReading readSystemTimeZone()
{
    return readSystemTimeZone(TimeZoneEnvironment::fromProcess());
}

} // namespace orbiclock
