#include "locations/MainSettings.h"

namespace orbiclock {

LoadedSettings applyStartupSettings(const MainSettings& settings, std::int32_t screenWidth,
                                    CountSpinnerModel& spinner)
{
    std::int32_t maxNumLocs = settings.readMaxNumLocs();
    const ScreenBand band = screenBandFor(screenWidth);
    if (maxNumLocs == 0)
        maxNumLocs = band.defaultMaxNumLocs == 0 ? spinner.maximum() : band.defaultMaxNumLocs;
    spinner.setValue(maxNumLocs);
    return {band.overlay};
}

} // namespace orbiclock
