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

/// The bitmap reduced to a colour map and runs of one colour-map index.
struct IndexedImage {
    std::array<std::uint32_t, kMaxColours> colours{}; ///< 0xRRGGBB, first occurrence first
    int colourCount = 0;
    std::vector<GifRun> runs; ///< the pixels row by row; a run may go on into the next row
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

IndexedImage indexColours(const Bitmap32& bitmap)
{
    IndexedImage image;
    // The run being collected; painted images are long spans of one colour, so looking a colour up in
    // the map happens once per span, not once per pixel.
    std::uint32_t runColour = 0;
    std::size_t runIndex = 0;
    std::size_t runLength = 0;
    const std::size_t width = static_cast<std::size_t>(bitmap.width());
    for (std::int32_t y = 0; y < bitmap.height(); ++y) {
        const Pixel32* p = bitmap.row(y);
        const Pixel32* const rowEnd = p + width;
        while (p != rowEnd) {
            const std::uint32_t colour = rgbOf(*p);
            const Pixel32* const next = spanEnd(p + 1, rowEnd, colour);
            const auto length = static_cast<std::size_t>(next - p);
            p = next;
            if (runLength != 0 && colour == runColour) {
                runLength += length;
                continue;
            }
            if (runLength != 0)
                image.runs.push_back({static_cast<std::uint8_t>(runIndex), runLength});
            std::size_t found = 0;
            while (found < static_cast<std::size_t>(image.colourCount) && image.colours[found] != colour)
                ++found;
            if (found == static_cast<std::size_t>(image.colourCount)) {
                if (image.colourCount == kMaxColours)
                    throw OrbiclockError("The image has more than 256 colours and cannot be saved as GIF");
                image.colours[found] = colour;
                ++image.colourCount;
            }
            runColour = colour;
            runIndex = found;
            runLength = length;
        }
    }
    if (runLength != 0)
        image.runs.push_back({static_cast<std::uint8_t>(runIndex), runLength});
    return image;
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
    const IndexedImage image = indexColours(bitmap);
    const int bits = bitsFor(image.colourCount);
    const int mapSize = 1 << bits;
    int transparentIndex = -1;
    for (int i = 0; i < image.colourCount && transparentIndex < 0; ++i)
        if (image.colours[static_cast<std::size_t>(i)] == kTransparentRgb)
            transparentIndex = i;

    // The layout giflib gives a GIF89a file of one image with a global colour map: header, logical
    // screen (colour resolution and map size both `bits`, background 0, no aspect ratio), the map
    // padded with black to its power-of-two size, the graphic control extension when a colour is
    // transparent, the image descriptor (no local map, not interlaced), the data, the trailer.
    std::vector<std::uint8_t> bytes;
    bytes.reserve(1024 + image.runs.size() * 4);
    for (const char c : {'G', 'I', 'F', '8', '9', 'a'})
        bytes.push_back(static_cast<std::uint8_t>(c));
    putWord(bytes, bitmap.width());
    putWord(bytes, bitmap.height());
    bytes.push_back(static_cast<std::uint8_t>(0x80 | ((bits - 1) << 4) | (bits - 1)));
    bytes.push_back(0); // background colour index
    bytes.push_back(0); // pixel aspect ratio
    for (int i = 0; i < mapSize; ++i) {
        const std::uint32_t colour = i < image.colourCount ? image.colours[static_cast<std::size_t>(i)] : 0u;
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
    appendGifImageData(bytes, image.runs, bits);
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
