#pragma once

// Builds small TZif files (RFC 8536) byte by byte for tests.

#include <cstdint>
#include <string>
#include <vector>

namespace orbiclock::testing {

struct TzifType {
    std::int32_t utOffsetSeconds;
    bool isDst;
    std::string designation;
};

/// A TZif file of `version` (0 for version 1, else '2' …) with `transitions` (time, type index) and
/// `types`; version 2+ files repeat the data with 64-bit times and close with "\n<footer>\n".
inline std::string makeTzif(char version, const std::vector<std::pair<std::int64_t, std::uint8_t>>& transitions,
                            const std::vector<TzifType>& types, const std::string& footer)
{
    std::string chars;
    std::vector<std::size_t> index;
    for (const auto& t : types) {
        index.push_back(chars.size());
        chars += t.designation;
        chars += '\0';
    }
    const auto put32 = [](std::string& out, std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out += static_cast<char>((v >> shift) & 0xff);
    };
    const auto block = [&](int timeSize) {
        std::string out = "TZif";
        out += version;
        out += std::string(15, '\0');
        put32(out, 0); // isutcnt
        put32(out, 0); // isstdcnt
        put32(out, 0); // leapcnt
        put32(out, static_cast<std::uint32_t>(transitions.size()));
        put32(out, static_cast<std::uint32_t>(types.size()));
        put32(out, static_cast<std::uint32_t>(chars.size()));
        for (const auto& [time, type] : transitions) {
            const auto u = static_cast<std::uint64_t>(time);
            for (int shift = timeSize * 8 - 8; shift >= 0; shift -= 8)
                out += static_cast<char>((u >> shift) & 0xff);
        }
        for (const auto& [time, type] : transitions)
            out += static_cast<char>(type);
        for (std::size_t i = 0; i < types.size(); ++i) {
            put32(out, static_cast<std::uint32_t>(types[i].utOffsetSeconds));
            out += static_cast<char>(types[i].isDst ? 1 : 0);
            out += static_cast<char>(index[i]);
        }
        out += chars;
        return out;
    };
    std::string file = block(4);
    if (version != 0)
        file += block(8) + "\n" + footer + "\n";
    return file;
}

} // namespace orbiclock::testing
