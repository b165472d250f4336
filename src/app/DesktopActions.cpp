#include "app/DesktopActions.h"

#include "wallpaper/DesktopInstallation.h"
#include "wallpaper/platform/SystemDesktopPlatform.h"

namespace orbiclock {

DesktopActions makeDesktopActions(const std::filesystem::path& appDir)
{
    // The platform is created per call: it reads the session's environment when the operation runs.
    DesktopActions actions;
    actions.setActiveDesktopWallpaper = [appDir](const std::string& path) {
        const auto platform = createSystemDesktopPlatform(appDir);
        SetActiveDesktopWallpaper(*platform, path);
    };
    actions.removeWallpaper = [appDir] {
        const auto platform = createSystemDesktopPlatform(appDir);
        RemoveWallpaper(*platform);
    };
    return actions;
}

} // namespace orbiclock
