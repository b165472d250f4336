#include "wallpaper/SunEventText.h"

#include "astro/CheckedMath.h"
#include "astro/SummerTime.h"
#include "wallpaper/PageNumbers.h"

#include <cmath>

namespace orbiclock {
namespace {

constexpr double kFarLatitude = 55.0;

void appendTwoDigits(std::string& out, int value)
{
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

} // namespace

void FormatSunEventTime(double& Moment, std::int32_t Marker, bool NextDayRule, double Latitude, DateTime now,
                        std::string& text)
{
    const long double moment = Moment;
    if (std::isfinite(moment) && std::trunc(moment) > 0.0L) {
        long double fraction = moment - std::trunc(moment);
        if (NextDayRule && fraction < 0.25L)
            fraction += 1.0L;
        Moment = static_cast<double>(fraction);
        text = integerText(roundHalfEvenToInt32(static_cast<long double>(Moment) * 1440.0L));
        return;
    }

    Moment = -1.0;
    const std::int32_t month = MonthFromDate(now);
    const bool northernSummer = month >= 4 && month <= 9;
    const std::int64_t marker = Marker;
    if (Latitude > kFarLatitude)
        text = integerText(northernSummer ? -marker : marker);
    else if (Latitude < -kFarLatitude)
        text = integerText(northernSummer ? marker : -marker);
    else
        text = integerText(-marker);
}

std::string FormatClockTime(std::string_view Pattern, double Moment)
{
    if (Moment < 0.0)
        return "--:--";
    const long double whole = std::trunc(static_cast<long double>(Moment));
    const CivilTime time = decodeTime(static_cast<DateTime>(static_cast<long double>(Moment) - whole));

    std::string out;
    for (std::size_t i = 0; i < Pattern.size();) {
        const char c = Pattern[i];
        const bool doubled = i + 1 < Pattern.size() && Pattern[i + 1] == c;
        if (c == 'h' || c == 'n') {
            const int value = c == 'h' ? time.hour : time.minute;
            if (doubled)
                appendTwoDigits(out, value);
            else
                out += integerText(value);
            i += doubled ? 2 : 1;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace orbiclock
