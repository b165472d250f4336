#pragma once

#include <exception>
#include <filesystem>
#include <string>

namespace orbiclock {

/// Records errors that ended an event handler or a command-line operation: each report (time, version,
/// run mode, exception type and message, the reporting call stack) is appended to the report file,
/// which never grows beyond `kMaxFileSize` bytes: the oldest reports are dropped first.
class CrashReporter {
public:
    static constexpr std::size_t kMaxFileSize = 100000;

    CrashReporter(std::filesystem::path reportFile, std::string version, std::string runMode);

    /// Builds the report of `error` and appends it to the file. Never throws; returns the report text.
    std::string report(std::exception_ptr error) noexcept;

    /// The one-line message of an error ("<message>"), for stderr.
    static std::string messageOf(std::exception_ptr error) noexcept;

    const std::filesystem::path& file() const noexcept { return m_file; }

private:
    std::filesystem::path m_file;
    std::string m_version;
    std::string m_runMode;
};

/// Appends `report` to the text in `existing` and drops whole reports from the front until the result
/// fits `limit` bytes (a single report longer than the limit is cut at its end). Reports start with
/// the report marker line.
std::string appendBoundedReport(const std::string& existing, const std::string& report, std::size_t limit);

/// The line every report starts with.
inline constexpr const char* kReportMarker = "==== Orbiclock error report ====";

} // namespace orbiclock
