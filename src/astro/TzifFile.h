#pragma once

#include "astro/OrbiclockError.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace orbiclock {

/// A file is not a time-zone information file (TZif, RFC 8536) or is cut short.
class TzifFormatError : public OrbiclockError {
public:
    using OrbiclockError::OrbiclockError;
};

/// What the time-zone reader needs of a TZif file.
struct TzifSummary {
    int version = 1;    ///< 1, 2, 3 or 4
    std::string footer; ///< the POSIX TZ string after the version 2+ data; empty for version 1 or none
    /// The local time type in force after the last transition (type 0 without transitions).
    std::int32_t lastUtOffsetSeconds = 0; ///< seconds east of UTC
    bool lastIsDst = false;
    std::string lastDesignation;

    friend bool operator==(const TzifSummary&, const TzifSummary&) = default;
};

/// The largest TZif file read; real ones are a few kilobytes.
constexpr std::size_t kMaxTzifFileSize = 1 << 20;

/// Reads the bytes of a TZif file: the header counts, the last transition's local time type and, for
/// version 2 and later, the footer between its two newlines. Raises TzifFormatError
/// ("<what>: not a time zone information file" or "...: cut short") naming `what`.
TzifSummary parseTzif(std::string_view bytes, const std::string& what);

/// Reads the TZif file at `file`. Raises FileError ("Cannot open file "<file>"") when it cannot be read
/// or is not a regular file, TzifFormatError when its content is not TZif or it exceeds kMaxTzifFileSize.
TzifSummary readTzifFile(const std::filesystem::path& file);

} // namespace orbiclock
