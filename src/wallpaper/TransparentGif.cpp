#include "wallpaper/TransparentGif.h"

#include "astro/OrbiclockError.h"
#include "wallpaper/GifLzw.h"

#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orbiclock {
namespace {

constexpr int kMaxColours = 256;

/// The colours of a bitmap (0xRRGGBB) in the order they first occur row by row.
struct ColourMap {
    std::array<std::uint32_t, kMaxColours> colours{};
    int count = 0;

    /// The index of `colour`, or `count` when it is not in the map.
    int find(std::uint32_t colour) const noexcept
    {
        int i = 0;
        while (i < count && colours[static_cast<std::size_t>(i)] != colour)
            ++i;
        return i;
    }
};

/// The end of the span of pixels from `begin` whose colour (fourth byte ignored) is `rgb`.
const Pixel32* spanEnd(const Pixel32* begin, const Pixel32* end, std::uint32_t rgb) noexcept
{
    const Pixel32* p = begin;
#if defined(__SSE2__)
    // Four pixels per comparison: painted rows are long spans of one colour.
    const __m128i colourBits = _mm_set1_epi32(0x00FFFFFF);
    const __m128i wanted = _mm_set1_epi32(static_cast<int>(rgb));
    while (end - p >= 4) {
        const __m128i pixels = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), colourBits);
        const auto same = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi32(pixels, wanted)));
        if (same != 0xFFFFu)
            return p + std::countr_one(same) / 4;
        p += 4;
    }
#endif
    while (p != end && rgbOf(*p) == rgb)
        ++p;
    return p;
}

/// Calls visit(colour, length) for every span of one colour (fourth byte ignored), row by row, left to
/// right. Painted images are long spans of one colour, so the callers work per span, not per pixel.
template <typename Visit>
void forEachSpan(const Bitmap32& bitmap, Visit visit)
{
    const auto width = static_cast<std::size_t>(bitmap.width());
    for (std::int32_t y = 0; y < bitmap.height(); ++y) {
        const Pixel32* p = bitmap.row(y);
        const Pixel32* const rowEnd = p + width;
        while (p != rowEnd) {
            const std::uint32_t colour = rgbOf(*p);
            const Pixel32* const next = spanEnd(p + 1, rowEnd, colour);
            visit(colour, static_cast<std::size_t>(next - p));
            p = next;
        }
    }
}

ColourMap coloursOf(const Bitmap32& bitmap)
{
    ColourMap map;
    bool any = false;
    std::uint32_t last = 0;
    forEachSpan(bitmap, [&](std::uint32_t colour, std::size_t) {
        if (any && colour == last)
            return;
        any = true;
        last = colour;
        if (map.find(colour) == map.count) {
            if (map.count == kMaxColours)
                throw OrbiclockError("The image has more than 256 colours and cannot be saved as GIF");
            map.colours[static_cast<std::size_t>(map.count++)] = colour;
        }
    });
    return map;
}

/// Bits per colour-map index: the map size must be a power of two, at least 2.
int bitsFor(int colourCount) noexcept
{
    int bits = 1;
    while ((1 << bits) < colourCount)
        ++bits;
    return bits;
}

void putWord(std::vector<std::uint8_t>& out, std::int32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

/// Removes the temporary file unless the rename has taken it over.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : m_path(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (!m_kept) {
            std::error_code ignored;
            std::filesystem::remove(m_path, ignored);
        }
    }
    const std::filesystem::path& path() const noexcept { return m_path; }
    void keep() noexcept { m_kept = true; }

private:
    std::filesystem::path m_path;
    bool m_kept = false;
};

[[noreturn]] void throwCannotCreate(const std::filesystem::path& fileName, const std::string& reason)
{
    throw FileError("Cannot create file \"" + fileName.string() + "\". " + reason);
}

} // namespace

std::vector<std::uint8_t> encodeTransparentGif(const Bitmap32& bitmap)
{
    if (bitmap.width() <= 0 || bitmap.height() <= 0 || bitmap.width() > 0xFFFF || bitmap.height() > 0xFFFF)
        throw RangeError("A GIF image cannot be " + std::to_string(bitmap.width()) + " x " +
                         std::to_string(bitmap.height()) + " pixels");
    // Two walks over the spans: the colour map first (its size sets the code size), then the codes.
    const ColourMap image = coloursOf(bitmap);
    const int bits = bitsFor(image.count);
    const int mapSize = 1 << bits;
    int transparentIndex = -1;
    for (int i = 0; i < image.count && transparentIndex < 0; ++i)
        if (image.colours[static_cast<std::size_t>(i)] == kTransparentRgb)
            transparentIndex = i;

    // The layout giflib gives a GIF89a file of one image with a global colour map: header, logical
    // screen (colour resolution and map size both `bits`, background 0, no aspect ratio), the map
    // padded with black to its power-of-two size, the graphic control extension when a colour is
    // transparent, the image descriptor (no local map, not interlaced), the data, the trailer.
    std::vector<std::uint8_t> bytes;
    bytes.reserve(std::size_t{64} * 1024);
    for (const char c : {'G', 'I', 'F', '8', '9', 'a'})
        bytes.push_back(static_cast<std::uint8_t>(c));
    putWord(bytes, bitmap.width());
    putWord(bytes, bitmap.height());
    bytes.push_back(static_cast<std::uint8_t>(0x80 | ((bits - 1) << 4) | (bits - 1)));
    bytes.push_back(0); // background colour index
    bytes.push_back(0); // pixel aspect ratio
    for (int i = 0; i < mapSize; ++i) {
        const std::uint32_t colour = i < image.count ? image.colours[static_cast<std::size_t>(i)] : 0u;
        bytes.push_back(static_cast<std::uint8_t>(colour >> 16));
        bytes.push_back(static_cast<std::uint8_t>(colour >> 8));
        bytes.push_back(static_cast<std::uint8_t>(colour));
    }
    if (transparentIndex >= 0) {
        // Extension introducer, graphic control label, 4 data bytes (transparency flag, no disposal,
        // no delay, the index), block terminator.
        for (const int b : {0x21, 0xF9, 4, 0x01, 0, 0, transparentIndex, 0})
            bytes.push_back(static_cast<std::uint8_t>(b));
    }
    bytes.push_back(0x2C); // image separator
    putWord(bytes, 0);
    putWord(bytes, 0);
    putWord(bytes, bitmap.width());
    putWord(bytes, bitmap.height());
    bytes.push_back(0);
    GifLzwEncoder encoder(bytes, bits);
    std::uint32_t lastColour = image.colours[0];
    std::uint8_t lastIndex = 0;
    forEachSpan(bitmap, [&](std::uint32_t colour, std::size_t length) {
        if (colour != lastColour) {
            lastColour = colour;
            lastIndex = static_cast<std::uint8_t>(image.find(colour));
        }
        encoder.add(lastIndex, length);
    });
    encoder.finish();
    bytes.push_back(0x3B); // trailer
    return bytes;
}

void SaveTransparentGif(const Bitmap32& bitmap, const std::filesystem::path& fileName)
{
    const std::vector<std::uint8_t> bytes = encodeTransparentGif(bitmap);

    TemporaryFile temporary(std::filesystem::path(fileName).concat(".tmp"));
    {
        std::unique_ptr<std::FILE, FileCloser> out(std::fopen(temporary.path().c_str(), "wb"));
        if (!out)
            throwCannotCreate(fileName, std::strerror(errno));
        if (std::fwrite(bytes.data(), 1, bytes.size(), out.get()) != bytes.size())
            throwCannotCreate(fileName, std::strerror(errno));
        std::FILE* file = out.release();
        if (std::fclose(file) != 0)
            throwCannotCreate(fileName, std::strerror(errno));
    }
    std::error_code renameError;
    std::filesystem::rename(temporary.path(), fileName, renameError);
    if (renameError)
        throwCannotCreate(fileName, renameError.message());
    temporary.keep();
}

} // namespace orbiclock
