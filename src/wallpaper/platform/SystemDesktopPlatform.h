#pragma once

#include "wallpaper/DesktopInstallation.h"
#include "wallpaper/platform/DesktopSession.h"

#include <chrono>
#include <filesystem>
#include <memory>

namespace orbiclock {

/// The desktop host could not be started or does not answer. The state is saved all the same.
class DesktopHostError : public OrbiclockError {
public:
    using OrbiclockError::OrbiclockError;
};

/// The desktop of an XDG session (X11 and the like), shown by our own host program: the state is
/// saved in the session's config folder, an autostart entry starts the host with the session, and a
/// running host is told over its local socket to show the change at once. With a display and no
/// host, applying starts the host; with no display the saved state waits for the session.
class XdgDesktopPlatform final : public DesktopPlatform {
public:
    /// `appDir` holds the host executable; `hostStartTimeout` bounds the wait for a started host.
    XdgDesktopPlatform(std::filesystem::path appDir, DesktopSession session,
                       std::chrono::milliseconds hostStartTimeout = std::chrono::seconds(60));

    /// Saves the colour in the state file and tells a running host. Raises `SystemError` with the
    /// errno when the state file cannot be read or written; the saved wallpaper is not touched.
    void setBackgroundColor(std::uint32_t color) override;
    /// The shell object; raises `ShellObjectError` when the host executable is missing or unusable.
    std::unique_ptr<DesktopShellObject> createShellObject() override;

    const std::filesystem::path& appDir() const noexcept { return m_appDir; }
    const DesktopSession& session() const noexcept { return m_session; }
    /// The host executable: "orbiclock-desktop" in the application folder.
    std::filesystem::path hostExecutable() const;

private:
    std::filesystem::path m_appDir;
    DesktopSession m_session;
    std::chrono::milliseconds m_hostStartTimeout;
};

/// The longest wallpaper path, in bytes, that this system takes (PATH_MAX less its NUL).
std::size_t maxWallpaperPathBytes() noexcept;

/// Raises `WallpaperPathError` when `path` cannot be this desktop's wallpaper: not empty and either
/// not a full path, longer than `maxWallpaperPathBytes`, holding a NUL or not valid UTF-8.
void checkWallpaperPath(const std::string& path);

/// The desktop platform of the session this process runs in, with the host in `appDir`.
std::unique_ptr<DesktopPlatform> createSystemDesktopPlatform(const std::filesystem::path& appDir);

} // namespace orbiclock
