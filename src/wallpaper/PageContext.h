#pragma once

#include "astro/LocationOffset.h"
#include "wallpaper/BackgroundLayout.h"

#include <string>

namespace orbiclock {

class Clock;
class LocationCursor;
class TLocation;

/// Everything the page builder gets from one run of the update pipeline.
struct PageContext {
    std::string& pageText;            ///< the template's text; placeholders are replaced in place
    const BackgroundLayout& background;
    const std::string& appDirUrl;     ///< file URL of the application folder, ending in "/"
    OverlaySize overlay;              ///< fixed at start-up
    const TLocationRec& gmtRec;
    const TLocationRec& currentRec;
    double currentOffsetHours = 0.0;  ///< the current place's present offset from GMT, summer time applied
    bool currentPlaceOnMap = false;
    TLocation& gmtLocation;           ///< the "GMT" location the sun table step created; reused per clock
    LocationCursor& locations;        ///< the visible rows, walked from the first
    const Clock& clock;
    ScreenSize screen{};              ///< the primary screen, read again for the page; 0 × 0 when unknown
    std::int32_t visibleCount = -1;   ///< places shown besides the current one; -1 when unknown
};

} // namespace orbiclock
