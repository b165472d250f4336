#include "wallpaper/TransparentGif.h"

#include "astro/OrbiclockError.h"

#include <gif_lib.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>

namespace orbiclock {
namespace {

constexpr int kMaxColours = 256;

/// The bitmap reduced to a colour map and one colour-map index per pixel.
struct IndexedImage {
    std::array<std::uint32_t, kMaxColours> colours{}; ///< 0xRRGGBB, first occurrence first
    int colourCount = 0;
    std::vector<GifPixelType> indices; ///< width × height, row by row
};

IndexedImage indexColours(const Bitmap32& bitmap)
{
    IndexedImage image;
    const auto width = static_cast<std::size_t>(bitmap.width());
    image.indices.resize(width * static_cast<std::size_t>(bitmap.height()));
    // Painted images consist of long runs of one colour, so remembering the last colour skips the
    // palette search for almost every pixel.
    std::uint32_t lastColour = 0;
    GifPixelType lastIndex = 0;
    bool haveLast = false;
    GifPixelType* out = image.indices.data();
    for (std::int32_t y = 0; y < bitmap.height(); ++y) {
        const Pixel32* row = bitmap.row(y);
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t colour = rgbOf(row[x]);
            if (!haveLast || colour != lastColour) {
                int found = 0;
                while (found < image.colourCount && image.colours[found] != colour)
                    ++found;
                if (found == image.colourCount) {
                    if (image.colourCount == kMaxColours)
                        throw OrbiclockError("The image has more than 256 colours and cannot be saved as GIF");
                    image.colours[found] = colour;
                    ++image.colourCount;
                }
                lastColour = colour;
                lastIndex = static_cast<GifPixelType>(found);
                haveLast = true;
            }
            *out++ = lastIndex;
        }
    }
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
    if (bitmap.width() <= 0 || bitmap.height() <= 0 || bitmap.width() > 0xFFFF || bitmap.height() > 0xFFFF)
        throw RangeError("A GIF image cannot be " + std::to_string(bitmap.width()) + " x " +
                         std::to_string(bitmap.height()) + " pixels");
    IndexedImage image = indexColours(bitmap);

    const int bits = bitsFor(image.colourCount);
    std::unique_ptr<ColorMapObject, ColourMapFree> colourMap(GifMakeMapObject(1 << bits, nullptr));
    if (!colourMap)
        throw OrbiclockError("GIF encoding failed: out of memory");
    int transparentIndex = -1;
    for (int i = 0; i < (1 << bits); ++i) {
        // Entries beyond the colours used only pad the map to its power-of-two size.
        const std::uint32_t colour = i < image.colourCount ? image.colours[i] : 0u;
        colourMap->Colors[i] = GifColorType{static_cast<GifByteType>(colour >> 16),
                                            static_cast<GifByteType>(colour >> 8), static_cast<GifByteType>(colour)};
        if (i < image.colourCount && colour == kTransparentRgb && transparentIndex < 0)
            transparentIndex = i;
    }

    std::vector<std::uint8_t> bytes;
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(&bytes, appendToBuffer, &error));
    if (!gif)
        throwGifError("open", error);
    EGifSetGifVersion(gif.get(), true);
    if (EGifPutScreenDesc(gif.get(), bitmap.width(), bitmap.height(), bits, 0, colourMap.get()) == GIF_ERROR)
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
    if (EGifPutImageDesc(gif.get(), 0, 0, bitmap.width(), bitmap.height(), false, nullptr) == GIF_ERROR)
        throwGifError("image descriptor", gif->Error);
    const auto width = static_cast<std::size_t>(bitmap.width());
    for (std::int32_t y = 0; y < bitmap.height(); ++y) {
        GifPixelType* line = image.indices.data() + static_cast<std::size_t>(y) * width;
        if (EGifPutLine(gif.get(), line, bitmap.width()) == GIF_ERROR)
            throwGifError("image data", gif->Error);
    }
    GifFileType* open = gif.release();
    if (EGifCloseFile(open, &error) == GIF_ERROR)
        throwGifError("close", error);
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
