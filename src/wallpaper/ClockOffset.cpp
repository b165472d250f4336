#include "wallpaper/ClockOffset.h"

#include "astro/CheckedMath.h"

namespace orbiclock {

ClockOffset clockOffsetFor(LocationOffset difference)
{
    constexpr std::int32_t kMinutesPerDay = 24 * 60;
    std::int32_t minutes = checkedAdd(checkedMul(difference.Hours, 60), difference.Minutes);
    // Within (-1 day, +1 day): the clock lines wrap the hour into 0..23 only once or twice.
    minutes %= kMinutesPerDay;

    // Whole hours toward minus infinity and the minutes left over, 0..59.
    std::int32_t wholeHours = minutes / 60;
    std::int32_t extra = minutes % 60;
    if (extra < 0) {
        wholeHours -= 1;
        extra += 60;
    }
    if (extra == 0)
        return {wholeHours, 0};
    // The lines for negative offsets add one hour back, so they need one hour less here.
    return {wholeHours >= 0 ? wholeHours : wholeHours - 1, extra};
}

} // namespace orbiclock
