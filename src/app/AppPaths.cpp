#include "app/AppPaths.h"

#include "astro/OrbiclockError.h"

#include <charconv>

namespace orbiclock {

std::filesystem::path executablePath()
{
    std::error_code ec;
    auto path = std::filesystem::canonical("/proc/self/exe", ec);
    if (ec)
        throw OrbiclockError("The program's own path cannot be found: " + ec.message());
    return path;
}

std::optional<ScreenSize> parseScreenSize(const std::string& text) noexcept
{
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos || x == 0 || x + 1 >= text.size())
        return std::nullopt;
    ScreenSize size;
    const char* begin = text.data();
    const char* end = begin + text.size();
    auto [p1, e1] = std::from_chars(begin, begin + x, size.width);
    auto [p2, e2] = std::from_chars(begin + x + 1, end, size.height);
    if (e1 != std::errc() || p1 != begin + x || e2 != std::errc() || p2 != end)
        return std::nullopt;
    if (size.width <= 0 || size.height <= 0 || size.width > 100000 || size.height > 100000)
        return std::nullopt;
    return size;
}

} // namespace orbiclock
