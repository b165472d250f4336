#pragma once

#include <string>

namespace orbiclock {

/// The line break of the generated page.
inline constexpr const char* kCrLf = "\r\n";

/// The four generated pieces of the page, each put into its placeholder of the template.
struct PageFragments {
    std::string clock_defs;    ///< style rules: one per layer and per clock
    std::string clock_attribs; ///< script declarations at global level, run once when the page loads
    std::string clock_times;   ///< script statements run on every tick of the page's timer
    std::string clock_pos;     ///< the positioned elements of the page body
};

} // namespace orbiclock
