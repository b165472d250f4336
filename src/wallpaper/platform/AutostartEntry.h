#pragma once

#include <filesystem>
#include <string>

namespace orbiclock {

/// The XDG autostart entry that starts the desktop host when the user's session starts. The format
/// (freedesktop.org Desktop Entry) wants LF line ends and UTF-8.
std::string autostartEntryText(const std::filesystem::path& hostExecutable);

/// One Exec argument, double-quoted with `"`, backquote, `$` and `\` escaped and `%` doubled, then
/// escaped once more as a Desktop Entry string value.
/// Example: /opt/My Apps/x gives "/opt/My Apps/x" with the quotes; /a\b gives "/a\\\\b".
std::string desktopEntryExecArgument(const std::string& argument);

} // namespace orbiclock
