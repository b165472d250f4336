#include "astro/TzifFile.h"

#include <fstream>
#include <system_error>

namespace orbiclock {
namespace {

constexpr std::size_t kHeaderSize = 44;

struct Counts {
    std::uint64_t isUtCount = 0;
    std::uint64_t isStdCount = 0;
    std::uint64_t leapCount = 0;
    std::uint64_t timeCount = 0;
    std::uint64_t typeCount = 0;
    std::uint64_t charCount = 0;

    /// Bytes of the data block after the header, with `timeSize`-byte transition times.
    std::uint64_t dataSize(std::uint64_t timeSize) const noexcept
    {
        return timeCount * timeSize + timeCount + typeCount * 6 + charCount + leapCount * (timeSize + 4) +
               isStdCount + isUtCount;
    }
};

/// Bounds-checked reading of big-endian fields.
class Bytes {
public:
    Bytes(std::string_view bytes, const std::string& what) : m_bytes(bytes), m_what(what) {}

    [[noreturn]] void cutShort() const { throw TzifFormatError(m_what + ": time zone information file cut short"); }
    void require(std::uint64_t offset, std::uint64_t size) const
    {
        if (offset > m_bytes.size() || size > m_bytes.size() - offset)
            cutShort();
    }
    std::uint8_t u8(std::uint64_t offset) const
    {
        require(offset, 1);
        return static_cast<std::uint8_t>(m_bytes[offset]);
    }
    std::uint32_t u32(std::uint64_t offset) const
    {
        require(offset, 4);
        std::uint32_t v = 0;
        for (std::uint64_t i = 0; i < 4; ++i)
            v = (v << 8) | static_cast<std::uint8_t>(m_bytes[offset + i]);
        return v;
    }
    std::string_view view(std::uint64_t offset, std::uint64_t size) const
    {
        require(offset, size);
        return m_bytes.substr(offset, size);
    }
    std::size_t size() const noexcept { return m_bytes.size(); }

private:
    std::string_view m_bytes;
    const std::string& m_what;
};

Counts readHeader(const Bytes& b, std::uint64_t at, const std::string& what)
{
    if (b.view(at, 4) != "TZif")
        throw TzifFormatError(what + ": not a time zone information file");
    Counts c;
    c.isUtCount = b.u32(at + 20);
    c.isStdCount = b.u32(at + 24);
    c.leapCount = b.u32(at + 28);
    c.timeCount = b.u32(at + 32);
    c.typeCount = b.u32(at + 36);
    c.charCount = b.u32(at + 40);
    if (c.typeCount == 0 || c.charCount == 0)
        throw TzifFormatError(what + ": time zone information file without local time types");
    return c;
}

/// The local time type after the last transition of the data block at `at`.
void readLastType(const Bytes& b, std::uint64_t at, const Counts& c, std::uint64_t timeSize, TzifSummary& out,
                  const std::string& what)
{
    b.require(at, c.dataSize(timeSize));
    const std::uint64_t typeIndices = at + c.timeCount * timeSize;
    const std::uint64_t types = typeIndices + c.timeCount;
    const std::uint64_t designations = types + c.typeCount * 6;
    const std::uint64_t type = c.timeCount == 0 ? 0 : b.u8(typeIndices + c.timeCount - 1);
    if (type >= c.typeCount)
        throw TzifFormatError(what + ": time zone information file names a local time type it lacks");
    const std::uint64_t record = types + type * 6;
    out.lastUtOffsetSeconds = static_cast<std::int32_t>(b.u32(record));
    out.lastIsDst = b.u8(record + 4) != 0;
    const std::uint64_t index = b.u8(record + 5);
    if (index >= c.charCount)
        throw TzifFormatError(what + ": time zone information file names a designation it lacks");
    const std::string_view chars = b.view(designations + index, c.charCount - index);
    out.lastDesignation = std::string(chars.substr(0, chars.find('\0')));
}

} // namespace

TzifSummary parseTzif(std::string_view bytes, const std::string& what)
{
    const Bytes b(bytes, what);
    TzifSummary out;
    const Counts v1 = readHeader(b, 0, what);
    const std::uint8_t versionByte = b.u8(4);
    if (versionByte == 0) {
        readLastType(b, kHeaderSize, v1, 4, out, what);
        return out;
    }
    if (versionByte < '2' || versionByte > '9')
        throw TzifFormatError(what + ": time zone information file of an unknown version");
    out.version = versionByte - '0';

    const std::uint64_t second = kHeaderSize + v1.dataSize(4);
    const Counts v2 = readHeader(b, second, what);
    readLastType(b, second + kHeaderSize, v2, 8, out, what);
    const std::uint64_t footer = second + kHeaderSize + v2.dataSize(8);
    if (b.u8(footer) != '\n')
        throw TzifFormatError(what + ": time zone information file without its closing rule");
    const std::string_view rest = b.view(footer + 1, b.size() - footer - 1);
    const std::size_t newline = rest.find('\n');
    if (newline == std::string_view::npos)
        b.cutShort();
    out.footer = std::string(rest.substr(0, newline));
    return out;
}

TzifSummary readTzifFile(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        throw FileError("Cannot open file \"" + file.string() + "\"");
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw FileError("Cannot open file \"" + file.string() + "\"");
    std::string bytes(kMaxTzifFileSize + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad())
        throw FileError("Cannot read file \"" + file.string() + "\"");
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kMaxTzifFileSize)
        throw TzifFormatError(file.string() + ": too large for a time zone information file");
    return parseTzif(bytes, file.string());
}

} // namespace orbiclock
