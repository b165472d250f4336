#pragma once

#include <filesystem>
#include <string>

namespace orbiclock {

/// Where the desktop state of the user's session lives, taken from the XDG environment, and how the
/// program reaches the session's desktop host.
struct DesktopSession {
    std::filesystem::path configDir;  ///< $XDG_CONFIG_HOME, else $HOME/.config
    std::filesystem::path runtimeDir; ///< $XDG_RUNTIME_DIR, else a private folder in /tmp
    std::string display;              ///< $DISPLAY, else $WAYLAND_DISPLAY; empty: no display

    /// The session's environment as the process sees it now.
    static DesktopSession fromEnvironment();

    /// True when the session has a display to show a desktop window on.
    bool hasDisplay() const noexcept { return !display.empty(); }
    /// The saved desktop state: colour and page ("orbiclock/desktop.ini" in the config folder).
    std::filesystem::path stateFile() const;
    /// The autostart entry that starts the host when the session starts.
    std::filesystem::path autostartFile() const;
    /// The local socket the running host listens on; one per display.
    std::filesystem::path hostSocket() const;
    /// The lock file the running host holds; its first line is the host's process id.
    std::filesystem::path hostLock() const;
    /// The running host's own log, started afresh by each host.
    std::filesystem::path hostLogFile() const;
};

/// File name of the host executable in the application folder.
inline constexpr const char* kDesktopHostName = "orbiclock-desktop";

/// Creates the runtime folder (mode 0700) when it is missing. Returns 0, or the errno of the failure;
/// a folder that exists but belongs to someone else or is open to others gives EACCES.
int ensurePrivateRuntimeDir(const std::filesystem::path& dir);

} // namespace orbiclock
