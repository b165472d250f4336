#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace orbiclock {

/// What the desktop shows: its background colour and the wallpaper page (empty: none).
/// Saved as a small ini file that the desktop host reads when it starts and whenever it is told to.
struct DesktopState {
    std::uint32_t color = 0;  ///< red in the lowest byte, green in the next, blue in the third
    std::string wallpaper;    ///< full path of the page as the program gave it; empty: plain colour
    friend bool operator==(const DesktopState&, const DesktopState&) = default;
};

/// The state file's text: a "[Desktop]" section with "BackgroundColor=#RRGGBB" and "Wallpaper=<path>",
/// CR LF line ends. Backslash, CR and LF in the path are written as "\\", "\r" and "\n".
std::string formatDesktopState(const DesktopState& state);

/// Reads a state file's text; unknown lines are skipped, and a missing or unreadable colour keeps
/// `defaults.color`, a missing wallpaper key keeps `defaults.wallpaper`.
DesktopState parseDesktopState(std::string_view text, const DesktopState& defaults);

/// Loads the state file into `state`, starting from `defaults`. Returns 0, or the errno of the read;
/// a missing file (ENOENT) leaves `state` at the defaults.
int loadDesktopState(const std::filesystem::path& file, const DesktopState& defaults, DesktopState& state);

/// Saves `state` to the file through a temporary file. Returns 0 or the errno of the failure.
int saveDesktopState(const std::filesystem::path& file, const DesktopState& state) noexcept;

} // namespace orbiclock
