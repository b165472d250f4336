#include "wallpaper/TransparentGif.h"

#include "astro/OrbiclockError.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

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

/// Calls visit(colour, begin, end) for every span [begin, end) of one colour (fourth byte ignored) in
/// a row. Painted rows are long spans of one colour, so the callers work per span, not per pixel.
template <typename Visit>
void forEachSpan(const Pixel32* row, std::size_t width, Visit visit)
{
    const Pixel32* p = row;
    const Pixel32* const rowEnd = row + width;
    while (p != rowEnd) {
        const std::uint32_t colour = rgbOf(*p);
        const Pixel32* const next = spanEnd(p + 1, rowEnd, colour);
        visit(colour, static_cast<std::size_t>(p - row), static_cast<std::size_t>(next - row));
        p = next;
    }
}

ColourMap coloursOf(std::int32_t width, std::int32_t height, const GifRowSource& rowAt)
{
    ColourMap map;
    bool any = false;
    std::uint32_t last = 0;
    for (std::int32_t y = 0; y < height; ++y) {
        forEachSpan(rowAt(y), static_cast<std::size_t>(width),
                    [&](std::uint32_t colour, std::size_t, std::size_t) {
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
    }
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

[[noreturn]] void throwGifError(const char* what, int error)
{
    const char* reason = GifErrorString(error);
    throw OrbiclockError(std::string("GIF encoding failed (") + what + "): " + (reason ? reason : "unknown error"));
}

int appendToBuffer(GifFileType* gif, const GifByteType* data, int length)
{
    auto* buffer = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    buffer->insert(buffer->end(), data, data + length);
    return length;
}

struct GifCloser {
    void operator()(GifFileType* gif) const noexcept
    {
        int ignored = 0;
        EGifCloseFile(gif, &ignored);
    }
};

struct ColourMapFree {
    void operator()(ColorMapObject* map) const noexcept { GifFreeMapObject(map); }
};

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
    return encodeTransparentGif(bitmap.width(), bitmap.height(), [&bitmap](std::int32_t y) { return bitmap.row(y); });
}

std::vector<std::uint8_t> encodeTransparentGif(std::int32_t width, std::int32_t height, const GifRowSource& rowAt)
{
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF)
        throw RangeError("A GIF image cannot be " + std::to_string(width) + " x " + std::to_string(height) +
                         " pixels");
    // The colour map first, since its size goes into the file before the pixels; the pixels are then
    // indexed one row at a time, each row handed to giflib as soon as it is ready.
    const ColourMap image = coloursOf(width, height, rowAt);

    const int bits = bitsFor(image.count);
    std::unique_ptr<ColorMapObject, ColourMapFree> colourMap(GifMakeMapObject(1 << bits, nullptr));
    if (!colourMap)
        throw OrbiclockError("GIF encoding failed: out of memory");
    int transparentIndex = -1;
    for (int i = 0; i < (1 << bits); ++i) {
        // Entries beyond the colours used only pad the map to its power-of-two size.
        const std::uint32_t colour = i < image.count ? image.colours[static_cast<std::size_t>(i)] : 0u;
        colourMap->Colors[i] = GifColorType{static_cast<GifByteType>(colour >> 16),
                                            static_cast<GifByteType>(colour >> 8), static_cast<GifByteType>(colour)};
        if (i < image.count && colour == kTransparentRgb && transparentIndex < 0)
            transparentIndex = i;
    }

    std::vector<std::uint8_t> bytes;
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(&bytes, appendToBuffer, &error));
    if (!gif)
        throwGifError("open", error);
    EGifSetGifVersion(gif.get(), true);
    if (EGifPutScreenDesc(gif.get(), width, height, bits, 0, colourMap.get()) == GIF_ERROR)
        throwGifError("screen descriptor", gif->Error);
    if (transparentIndex >= 0) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.UserInputFlag = false;
        control.DelayTime = 0;
        control.TransparentColor = transparentIndex;
        GifByteType extension[4];
        const auto length = EGifGCBToExtension(&control, extension);
        if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_ERROR)
            throwGifError("graphic control extension", gif->Error);
    }
    if (EGifPutImageDesc(gif.get(), 0, 0, width, height, false, nullptr) == GIF_ERROR)
        throwGifError("image descriptor", gif->Error);
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    std::uint32_t lastColour = image.colours[0];
    GifPixelType lastIndex = 0;
    for (std::int32_t y = 0; y < height; ++y) {
        forEachSpan(rowAt(y), line.size(), [&](std::uint32_t colour, std::size_t begin, std::size_t end) {
            if (colour != lastColour) {
                lastColour = colour;
                lastIndex = static_cast<GifPixelType>(image.find(colour));
            }
            std::fill(line.begin() + static_cast<std::ptrdiff_t>(begin), line.begin() + static_cast<std::ptrdiff_t>(end),
                      lastIndex);
        });
        if (EGifPutLine(gif.get(), line.data(), width) == GIF_ERROR)
            throwGifError("image data", gif->Error);
    }
    GifFileType* open = gif.release();
    if (EGifCloseFile(open, &error) == GIF_ERROR)
        throwGifError("close", error);
    return bytes;
}

void SaveTransparentGif(const Bitmap32& bitmap, const std::filesystem::path& fileName)
{
    saveGifBytes(encodeTransparentGif(bitmap), fileName);
}

void saveGifBytes(const std::vector<std::uint8_t>& bytes, const std::filesystem::path& fileName)
{
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
