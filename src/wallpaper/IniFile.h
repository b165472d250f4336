#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace orbiclock {

/// A Windows-style ini file, read and written one key at a time: nothing is cached between calls.
/// Section and key names compare without regard to ASCII case; values are trimmed of blanks.
class IniFile {
public:
    explicit IniFile(std::filesystem::path file) : m_file(std::move(file)) {}

    const std::filesystem::path& path() const noexcept { return m_file; }

    /// The value of `key` in `section`, or nothing when the file, the section or the key is missing
    /// or the file cannot be read.
    std::optional<std::string> readString(const std::string& section, const std::string& key) const;

    /// The key's value as an integer (decimal, optionally signed, or hexadecimal with "0x" or "$"), or
    /// `defaultValue` when it is missing or is no 32-bit integer.
    std::int32_t readInteger(const std::string& section, const std::string& key, std::int32_t defaultValue) const;

    /// Sets `key` in `section` to `value` in decimal, creating the file, the section or the key as needed
    /// and keeping every other line; a file that holds the entry already is left as it is. Raises FileError
    /// "Unable to write to <file>" when it cannot be written.
    void writeInteger(const std::string& section, const std::string& key, std::int32_t value) const;

    /// As writeInteger, for a text value.
    void writeString(const std::string& section, const std::string& key, const std::string& value) const;

private:
    std::filesystem::path m_file;
};

/// Parses an ini integer: optional sign, then decimal digits or a "0x"/"$" hexadecimal number.
/// Nothing when the text is anything else or does not fit 32 bits.
std::optional<std::int32_t> parseIniInteger(const std::string& text) noexcept;

} // namespace orbiclock
