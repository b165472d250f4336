#pragma once

#include <string>
#include <vector>

namespace orbiclock {

enum class RunMode {
    Interactive,  ///< no argument: the settings window
    AutoUpdate,   ///< "-autoupdate": rebuild the wallpaper
    FirstRun,     ///< "-firstrun": import the system time zone, clear the wallpaper, rebuild
    Remove,       ///< "-remove": take the wallpaper away
    Unrecognised, ///< anything else: create and close the hidden window only
};

/// The run mode of a command line (arguments without the program name). Only the first argument
/// counts; its letters A-Z are lower-cased and it must then equal a keyword exactly.
RunMode runModeFromArguments(const std::vector<std::string>& arguments);

/// A short name of the mode for reports: "interactive", "-autoupdate", …
const char* runModeName(RunMode mode) noexcept;

} // namespace orbiclock
