#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace orbiclock {

/// The two desktop operations the main window performs, bound to this system's desktop.
struct DesktopActions {
    std::function<void(const std::string&)> setActiveDesktopWallpaper;
    std::function<void()> removeWallpaper;
};

/// The desktop operations for the application folder `appDir`. The platform is reached only when an
/// operation runs, so modes that never touch the desktop pay nothing for it.
DesktopActions makeDesktopActions(const std::filesystem::path& appDir);

} // namespace orbiclock
