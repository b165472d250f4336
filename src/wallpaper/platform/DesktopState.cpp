#include "wallpaper/platform/DesktopState.h"

#include "wallpaper/platform/AtomicFile.h"

#include <cerrno>
#include <charconv>

namespace orbiclock {

namespace {

constexpr std::string_view kSection = "[Desktop]";
constexpr std::string_view kColorKey = "BackgroundColor=";
constexpr std::string_view kWallpaperKey = "Wallpaper=";

std::string escapeValue(std::string_view value)
{
    std::string text;
    for (const char c : value) {
        switch (c) {
        case '\\': text += "\\\\"; break;
        case '\r': text += "\\r"; break;
        case '\n': text += "\\n"; break;
        default: text += c;
        }
    }
    return text;
}

std::string unescapeValue(std::string_view text)
{
    std::string value;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            value += text[i];
            continue;
        }
        const char next = text[++i];
        value += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
    }
    return value;
}

std::string hexByte(std::uint32_t byte)
{
    constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[(byte >> 4) & 0xF], kDigits[byte & 0xF]};
}

/// "#RRGGBB" to a colour value with red in the lowest byte; false when the text is not one.
bool parseColor(std::string_view text, std::uint32_t& color)
{
    if (text.size() != 7 || text[0] != '#')
        return false;
    std::uint32_t rgb = 0;
    const auto [end, error] = std::from_chars(text.data() + 1, text.data() + 7, rgb, 16);
    if (error != std::errc() || end != text.data() + 7)
        return false;
    const std::uint32_t red = (rgb >> 16) & 0xFF;
    const std::uint32_t green = (rgb >> 8) & 0xFF;
    const std::uint32_t blue = rgb & 0xFF;
    color = red + (green << 8) + (blue << 16);
    return true;
}

} // namespace

std::string formatDesktopState(const DesktopState& state)
{
    const std::uint32_t red = state.color & 0xFF;
    const std::uint32_t green = (state.color >> 8) & 0xFF;
    const std::uint32_t blue = (state.color >> 16) & 0xFF;
    std::string text(kSection);
    text += "\r\n";
    text += std::string(kColorKey) + "#" + hexByte(red) + hexByte(green) + hexByte(blue) + "\r\n";
    text += std::string(kWallpaperKey) + escapeValue(state.wallpaper) + "\r\n";
    return text;
}

DesktopState parseDesktopState(std::string_view text, const DesktopState& defaults)
{
    DesktopState state = defaults;
    bool inSection = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty() && line.front() == '[') {
            inSection = line == kSection;
            continue;
        }
        if (!inSection)
            continue;
        if (line.starts_with(kColorKey)) {
            std::uint32_t color = 0;
            if (parseColor(line.substr(kColorKey.size()), color))
                state.color = color;
        } else if (line.starts_with(kWallpaperKey)) {
            state.wallpaper = unescapeValue(line.substr(kWallpaperKey.size()));
        }
    }
    return state;
}

int loadDesktopState(const std::filesystem::path& file, const DesktopState& defaults, DesktopState& state)
{
    state = defaults;
    std::string text;
    const int result = readFileContents(file, text);
    if (result == 0)
        state = parseDesktopState(text, defaults);
    return result;
}

int saveDesktopState(const std::filesystem::path& file, const DesktopState& state) noexcept
{
    try {
        return replaceFileContents(file, formatDesktopState(state));
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
}

} // namespace orbiclock
