#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace orbiclock {

/// Reads a text file line by line and joins the lines with CR LF after every line, the last one
/// included (a file without a final line break gets one). Raises FileError
/// "Cannot open file "<path>". <reason>" when the file cannot be read.
std::string readTextLinesCrLf(const std::filesystem::path& file);

/// Writes `text` to `file` through a temporary file in the same folder that is renamed over the target,
/// so readers never see a half-written file and a failure leaves the old file as it was.
/// Raises FileError "Cannot create file "<path>". <reason>".
void writeFileAtomically(const std::filesystem::path& file, std::string_view text);

/// The system's text for an errno value.
std::string systemErrorText(int errorNumber);

} // namespace orbiclock
