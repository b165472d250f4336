#pragma once

#include "astro/OrbiclockError.h"

#include <cstdint>
#include <memory>
#include <string>

namespace orbiclock {

/// The desktop background colour as a colour value with red in the lowest byte, green in the next and
/// blue in the third: red 20, green 27, blue 90.
constexpr std::uint32_t DesktopBackgroundColor = 20u + (27u << 8) + (90u << 16);
static_assert(DesktopBackgroundColor == 0x5A1B14u);

/// The operating system refused a call. The message is "System Error.  Code: <code>.\r\n<system text>",
/// or "A call to an OS function failed" when the system gave no error code (code 0).
class SystemError : public OrbiclockError {
public:
    SystemError(int code, const std::string& systemText);
    /// The system's error number; 0 when it gave none.
    int code() const noexcept { return m_code; }

private:
    int m_code;
};

/// The desktop shell object could not be created. The message is the system's text for the failure,
/// or "The desktop shell object could not be created (error <code>)" when there is none.
class ShellObjectError : public OrbiclockError {
public:
    ShellObjectError(int code, const std::string& systemText);
    /// The failure's error number; 0 when there is none.
    int code() const noexcept { return m_code; }

private:
    int m_code;
};

/// The shell object exists but has no wallpaper interface: "Interface not supported".
class InterfaceNotSupportedError : public OrbiclockError {
public:
    InterfaceNotSupportedError();
};

/// The platform cannot take this wallpaper path (too long for the system, not a full path, not
/// representable). Raised before anything of the wallpaper changes, so it stays as it was.
class WallpaperPathError : public OrbiclockError {
public:
    using OrbiclockError::OrbiclockError;
};

/// The wallpaper side of the desktop shell, obtained from a `DesktopShellObject` for one call.
class DesktopWallpaper {
public:
    virtual ~DesktopWallpaper() = default;
    /// Makes `path` the pending wallpaper; an empty path means no wallpaper. The file is not checked.
    /// Raises `WallpaperPathError` for a path the platform cannot take, leaving the wallpaper as it was.
    virtual void setWallpaper(const std::string& path) = 0;
    /// Stores the pending wallpaper and shows it on the desktop at once.
    virtual void applyChanges() = 0;
};

/// The desktop shell object of one call. It owns the interface it hands out.
class DesktopShellObject {
public:
    virtual ~DesktopShellObject() = default;
    /// The object's wallpaper interface, or nullptr when it does not support one. Valid while the
    /// object lives.
    virtual DesktopWallpaper* queryWallpaper() noexcept = 0;
};

/// What installing a wallpaper needs of the desktop: the background colour and the shell object.
/// One implementation per kind of desktop session; the tests use a fake.
class DesktopPlatform {
public:
    virtual ~DesktopPlatform() = default;
    /// Sets the desktop background colour (red in the lowest byte) so that it shows at once.
    /// Raises `SystemError` when the colour cannot be stored.
    virtual void setBackgroundColor(std::uint32_t color) = 0;
    /// Creates the shell object for one call; never returns null. Raises `ShellObjectError`.
    virtual std::unique_ptr<DesktopShellObject> createShellObject() = 0;
};

/// Sets the desktop colour to `DesktopBackgroundColor`, then makes `path` the desktop wallpaper and
/// applies the change at once; an empty path removes the wallpaper. A path to a missing file is passed
/// on unchecked. The colour is set first and stays set when a later step fails; a failure after that
/// leaves the wallpaper as it was.
void SetActiveDesktopWallpaper(DesktopPlatform& platform, const std::string& path);

/// `SetActiveDesktopWallpaper` with an empty path: the colour is set and the wallpaper taken away.
void RemoveWallpaper(DesktopPlatform& platform);

} // namespace orbiclock
