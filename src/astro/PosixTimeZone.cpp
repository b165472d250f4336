#include "astro/PosixTimeZone.h"

#include <cctype>

namespace orbiclock {
namespace {

constexpr std::int32_t kMaxOffsetHours = 24;
constexpr std::int32_t kMaxRuleTimeHours = 167;
constexpr std::int32_t kMinNameLength = 3;

/// Reads a POSIX TZ string left to right; every failure names the whole string.
class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    [[noreturn]] void fail(const std::string& reason) const
    {
        throw TimeZoneRuleError("Invalid time zone rule \"" + std::string(m_text) + "\": " + reason);
    }

    bool atEnd() const noexcept { return m_pos >= m_text.size(); }
    char peek() const noexcept { return atEnd() ? '\0' : m_text[m_pos]; }
    bool accept(char c) noexcept
    {
        if (peek() != c || atEnd())
            return false;
        ++m_pos;
        return true;
    }
    void expect(char c, const char* what)
    {
        if (!accept(c))
            fail(std::string("expected ") + what);
    }

    std::string name(const char* which)
    {
        std::string out;
        if (accept('<')) {
            while (!atEnd() && peek() != '>') {
                const char c = peek();
                if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-')
                    fail(std::string("the ") + which + " name may hold only letters, digits, '+' and '-'");
                out += c;
                ++m_pos;
            }
            expect('>', "'>' after a quoted name");
        } else {
            while (!atEnd() && std::isalpha(static_cast<unsigned char>(peek())))
                out += m_text[m_pos++];
        }
        if (out.size() < static_cast<std::size_t>(kMinNameLength))
            fail(std::string("the ") + which + " name needs at least three characters");
        return out;
    }

    /// An unsigned decimal of at most `maxDigits` digits.
    std::int32_t number(int maxDigits, const char* what)
    {
        if (!std::isdigit(static_cast<unsigned char>(peek())))
            fail(std::string("expected ") + what);
        std::int32_t value = 0;
        int digits = 0;
        while (std::isdigit(static_cast<unsigned char>(peek()))) {
            if (++digits > maxDigits)
                fail(std::string(what) + " has too many digits");
            value = value * 10 + (m_text[m_pos++] - '0');
        }
        return value;
    }

    /// [+-]hh[:mm[:ss]] in seconds; hours up to `maxHours`.
    std::int32_t signedTime(std::int32_t maxHours, const char* what)
    {
        std::int32_t sign = 1;
        if (accept('-'))
            sign = -1;
        else
            accept('+');
        const std::int32_t hours = number(3, what);
        if (hours > maxHours)
            fail(std::string(what) + " is beyond " + std::to_string(maxHours) + " hours");
        std::int32_t minutes = 0;
        std::int32_t seconds = 0;
        if (accept(':')) {
            minutes = number(2, "minutes");
            if (accept(':'))
                seconds = number(2, "seconds");
        }
        if (minutes > 59 || seconds > 59)
            fail(std::string(what) + " has minutes or seconds beyond 59");
        return sign * (hours * 3600 + minutes * 60 + seconds);
    }

    PosixTransitionRule transition(const char* which)
    {
        PosixTransitionRule rule;
        if (accept('M')) {
            rule.form = PosixTransitionRule::Form::MonthWeekDay;
            rule.month = number(2, "a month");
            expect('.', "'.' after the month");
            rule.week = number(1, "a week");
            expect('.', "'.' after the week");
            rule.weekday = number(1, "a weekday");
            if (rule.month < 1 || rule.month > 12 || rule.week < 1 || rule.week > 5 || rule.weekday > 6)
                fail(std::string("the ") + which + " rule needs month 1-12, week 1-5 and weekday 0-6");
        } else if (accept('J')) {
            rule.form = PosixTransitionRule::Form::JulianNoLeap;
            rule.dayOfYear = number(3, "a day of the year");
            if (rule.dayOfYear < 1 || rule.dayOfYear > 365)
                fail(std::string("the ") + which + " day must be J1-J365");
        } else {
            rule.form = PosixTransitionRule::Form::ZeroBasedDay;
            rule.dayOfYear = number(3, "a day of the year or 'M' or 'J'");
            if (rule.dayOfYear > 365)
                fail(std::string("the ") + which + " day must be 0-365");
        }
        if (accept('/'))
            rule.timeSeconds = signedTime(kMaxRuleTimeHours, "the time of the change");
        return rule;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

PosixTransitionRule usRule(std::int32_t month, std::int32_t week)
{
    PosixTransitionRule rule;
    rule.month = month;
    rule.week = week;
    rule.weekday = 0;
    return rule;
}

} // namespace

PosixTimeZone parsePosixTimeZone(std::string_view text)
{
    Reader in(text);
    PosixTimeZone zone;
    zone.standardName = in.name("standard time");
    zone.standardOffsetSeconds = in.signedTime(kMaxOffsetHours, "the standard offset");
    if (in.atEnd())
        return zone;

    PosixDaylightTime daylight;
    daylight.name = in.name("summer time");
    daylight.offsetSeconds = zone.standardOffsetSeconds - 3600;
    if (!in.atEnd() && in.peek() != ',')
        daylight.offsetSeconds = in.signedTime(kMaxOffsetHours, "the summer-time offset");
    if (in.accept(',')) {
        daylight.start = in.transition("start");
        in.expect(',', "',' between the start and end rules");
        daylight.end = in.transition("end");
    } else {
        daylight.start = usRule(3, 2);
        daylight.end = usRule(11, 1);
    }
    if (!in.atEnd())
        in.fail("unexpected text after the rules");
    zone.daylight = std::move(daylight);
    return zone;
}

} // namespace orbiclock
