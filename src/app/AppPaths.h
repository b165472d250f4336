#pragma once

#include "wallpaper/BackgroundLayout.h"

#include <filesystem>
#include <optional>
#include <string>

namespace orbiclock {

/// The real path of the running executable, symbolic links resolved (from /proc/self/exe).
std::filesystem::path executablePath();

/// A screen size written "WIDTHxHEIGHT" (e.g. "1920x1080"), or nothing when the text is not of that form.
std::optional<ScreenSize> parseScreenSize(const std::string& text) noexcept;

} // namespace orbiclock
