#include "wallpaper/IniFile.h"

#include "astro/OrbiclockError.h"
#include "wallpaper/TextFiles.h"

#include <fstream>
#include <vector>

namespace orbiclock {
namespace {

std::string trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::vector<std::string> readLines(const std::filesystem::path& file, bool& exists)
{
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    exists = static_cast<bool>(in);
    std::string line;
    while (exists && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// "[name]" gives "name"; anything else nothing.
std::optional<std::string> sectionName(const std::string& line)
{
    const std::string t = trim(line);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']')
        return trim(t.substr(1, t.size() - 2));
    return std::nullopt;
}

// "key=value" whose key is `key`: the value.
std::optional<std::string> keyValue(const std::string& line, const std::string& key)
{
    const auto eq = line.find('=');
    if (eq == std::string::npos || !equalsIgnoringCase(trim(line.substr(0, eq)), key))
        return std::nullopt;
    return trim(line.substr(eq + 1));
}

} // namespace

std::optional<std::int32_t> parseIniInteger(const std::string& raw) noexcept
{
    const std::string text = trim(raw);
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > 0x100000000LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (base == 16 && !negative && value > INT32_MAX && value <= UINT32_MAX)
        value -= 0x100000000LL; // "$FFFFFFFF" is -1, as a 32-bit hexadecimal literal reads
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<std::string> IniFile::readString(const std::string& section, const std::string& key) const
{
    bool exists = false;
    const auto lines = readLines(m_file, exists);
    bool inSection = false;
    for (const auto& line : lines) {
        if (const auto name = sectionName(line)) {
            inSection = equalsIgnoringCase(*name, section);
            continue;
        }
        if (inSection)
            if (auto value = keyValue(line, key))
                return value;
    }
    return std::nullopt;
}

std::int32_t IniFile::readInteger(const std::string& section, const std::string& key, std::int32_t defaultValue) const
{
    const auto text = readString(section, key);
    if (!text)
        return defaultValue;
    return parseIniInteger(*text).value_or(defaultValue);
}

void IniFile::writeInteger(const std::string& section, const std::string& key, std::int32_t value) const
{
    writeString(section, key, std::to_string(value));
}

void IniFile::writeString(const std::string& section, const std::string& key, const std::string& value) const
{
    bool exists = false;
    auto lines = readLines(m_file, exists);
    const std::vector<std::string> before = lines;
    const std::string entry = key + "=" + value;

    bool inSection = false;
    std::optional<std::size_t> sectionEnd; // index after the last line of the wanted section
    bool written = false;
    for (std::size_t i = 0; i < lines.size() && !written; ++i) {
        if (const auto name = sectionName(lines[i])) {
            inSection = equalsIgnoringCase(*name, section);
            if (inSection)
                sectionEnd = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        if (keyValue(lines[i], key)) {
            lines[i] = entry;
            written = true;
        } else if (!trim(lines[i]).empty()) {
            sectionEnd = i + 1;
        }
    }
    if (!written) {
        if (sectionEnd) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*sectionEnd), entry);
        } else {
            if (!lines.empty() && !trim(lines.back()).empty())
                lines.emplace_back();
            lines.push_back("[" + section + "]");
            lines.push_back(entry);
        }
    }

    // The entry is there already as it would be written: the file stays as it is.
    if (exists && lines == before)
        return;
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    try {
        writeFileAtomically(m_file, text);
    } catch (const FileError&) {
        throw FileError("Unable to write to " + m_file.string());
    }
}

} // namespace orbiclock
