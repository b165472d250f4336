#pragma once

#include <filesystem>

namespace orbiclock {

/// The settings program's file name, beside the Orbiclock executable.
inline constexpr const char* kSettingsProgramName = "orbiclock-settings";

/// Replaces this process by the settings program beside `executable`, with the same arguments (argv[0]
/// becomes the program's path). Returns only by raising OrbiclockError "Cannot start <path>: <reason>".
[[noreturn]] void execSettingsProgram(const std::filesystem::path& executable, char** argv);

} // namespace orbiclock
