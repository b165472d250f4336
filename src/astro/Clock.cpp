#include "astro/Clock.h"

#include "astro/OrbiclockError.h"

#include <ctime>

namespace orbiclock {

DateTime SystemClock::now() const
{
    timespec ts{};
    if (clock_gettime(CLOCK_REALTIME, &ts) != 0)
        throw OrbiclockError("The system clock cannot be read");
    std::tm local{};
    if (localtime_r(&ts.tv_sec, &local) == nullptr)
        throw OrbiclockError("The local time cannot be computed");
    const int seconds = local.tm_sec > 59 ? 59 : local.tm_sec; // a leap second counts as :59
    return encodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           encodeTime(local.tm_hour, local.tm_min, seconds, static_cast<int>(ts.tv_nsec / 1000000));
}

} // namespace orbiclock
