#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace orbiclock {

/// Writes `text` to `file` through a temporary file in the same folder that is renamed over it, so a
/// reader sees the old or the new contents and a failure leaves the old file. Missing folders are
/// created. A file that already holds exactly `text` is left as it is. Returns 0, or the errno of the
/// step that failed (the system's own error number).
int replaceFileContents(const std::filesystem::path& file, std::string_view text) noexcept;

/// Reads the whole of `file` into `text`. Returns 0, or the errno of the failure (ENOENT: no file).
int readFileContents(const std::filesystem::path& file, std::string& text) noexcept;

/// Removes `file`; a file that is already gone is no failure. Returns 0 or the errno.
int removeFileIfPresent(const std::filesystem::path& file) noexcept;

/// The system's text for an errno value, as strerror gives it.
std::string errnoText(int errorNumber);

} // namespace orbiclock
