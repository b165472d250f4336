#include "wallpaper/SunTableFile.h"

#include "astro/OrbiclockError.h"
#include "wallpaper/SunTableFormat.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace orbiclock {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

std::string readWholeFile(const std::filesystem::path& file)
{
    FileHandle in(std::fopen(file.c_str(), "rb"));
    if (!in) {
        const int error = errno;
        throw FileError("Cannot open file \"" + file.string() + "\". " + std::strerror(error));
    }
    std::string text;
    char buf[65536];
    std::size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, in.get())) > 0)
        text.append(buf, got);
    if (std::ferror(in.get())) {
        const int error = errno;
        throw FileError("Cannot read file \"" + file.string() + "\". " + std::strerror(error));
    }
    return text;
}

/// The text split into lines at CR LF, LF or CR; a line end after the last line adds no empty line.
std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

[[noreturn]] void throwLineIndex(std::size_t index)
{
    throw OrbiclockError("List index out of bounds (" + std::to_string(index) + ")");
}

} // namespace

SunTableContents ReadSunTable(const std::filesystem::path& file)
{
    const std::string text = readWholeFile(file);
    const std::vector<std::string_view> lines = splitLines(text);
    if (lines.empty())
        throwLineIndex(0);

    SunTableContents table;
    table.firstY = parseSunTableRow(lines.front());
    table.lastY = parseSunTableRow(lines.back());
    if (table.lastY < table.firstY)
        return table;

    // Line i belongs to row firstY + i; a table whose rows outnumber its lines is broken.
    const auto count = static_cast<std::size_t>(static_cast<std::int64_t>(table.lastY) - table.firstY + 1);
    if (count > lines.size())
        throwLineIndex(lines.size());
    table.lines.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        table.lines.push_back(parseSunTableValues(lines[i]));
    return table;
}

} // namespace orbiclock
