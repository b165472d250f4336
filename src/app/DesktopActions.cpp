#include "app/DesktopActions.h"

#include "astro/OrbiclockError.h"

namespace orbiclock {

DesktopActions makeDesktopActions(const std::filesystem::path&)
{
    DesktopActions actions;
    actions.setActiveDesktopWallpaper = [](const std::string&) {
        throw OrbiclockError("The desktop host is not part of this build yet");
    };
    actions.removeWallpaper = [] { throw OrbiclockError("The desktop host is not part of this build yet"); };
    return actions;
}

} // namespace orbiclock
