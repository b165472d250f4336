#pragma once

#include "locations/LocationRow.h"
#include "locations/SystemTimeZoneImport.h"
#include "wallpaper/BackgroundLayout.h"

#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace orbiclock {

class Clock;

/// What the main window is given by the application instead of reaching for globals.
struct MainWindowServices {
    std::filesystem::path executablePath;      ///< the real path of the running executable
    const Clock* clock = nullptr;
    std::function<ScreenSize()> screenSize;
    /// Makes a page the desktop wallpaper (an empty path: no wallpaper), the desktop colour first.
    std::function<void(const std::string&)> setActiveDesktopWallpaper;
    /// Takes the wallpaper away, leaving the desktop colour.
    std::function<void()> removeWallpaper;
    /// Reports an error that ended an event handler (the crash reporter).
    std::function<void(std::exception_ptr)> reportError;
    /// Shows a status text of the update outside the window too (command-line progress); may be empty.
    std::function<void(const std::string&)> statusEcho;
    /// The close-time question; returns 6 (Yes), 7 (No) or 2 (Cancel).
    std::function<int()> askUpdateQuestion;
    /// Edits one place in the location properties dialog, shown modally over `parent`: returns the
    /// edited row on OK, nothing on Cancel. The controls of `parent` are disabled meanwhile, the
    /// window itself stays enabled so that a dialog parented to it takes input. Empty: editing is
    /// not available and Modify says so.
    std::function<std::optional<LocationRow>(QWidget* parent, const LocationRow& row)> editPlace;
    /// The system's time zone for ImportSystemTimeZone; empty: the zone local time uses (TZ, /etc/localtime).
    std::function<SystemTimeZoneReading()> systemTimeZone;
};

} // namespace orbiclock
