#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orbiclock {

/// One pixel of a 32-bit bitmap. In memory its bytes are blue, green, red and a fourth byte; as a value
/// on the little-endian machines we build for that is 0xAARRGGBB, AA being the fourth byte.
using Pixel32 = std::uint32_t;

static_assert(std::endian::native == std::endian::little,
              "Pixel32 relies on the byte order blue, green, red, fourth byte in memory");

/// The pixel with the given red, green and blue and the fourth byte (which no image file keeps).
constexpr Pixel32 makePixel(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                            std::uint8_t fourth = 0) noexcept
{
    return static_cast<Pixel32>(fourth) << 24 | static_cast<Pixel32>(red) << 16 |
           static_cast<Pixel32>(green) << 8 | static_cast<Pixel32>(blue);
}

/// Red, green and blue of a pixel as 0xRRGGBB: the colour without its fourth byte.
constexpr std::uint32_t rgbOf(Pixel32 pixel) noexcept { return pixel & 0x00FFFFFFu; }
constexpr std::uint8_t redOf(Pixel32 pixel) noexcept { return static_cast<std::uint8_t>(pixel >> 16); }
constexpr std::uint8_t greenOf(Pixel32 pixel) noexcept { return static_cast<std::uint8_t>(pixel >> 8); }
constexpr std::uint8_t blueOf(Pixel32 pixel) noexcept { return static_cast<std::uint8_t>(pixel); }

/// A width × height bitmap of 32-bit pixels, rows top to bottom, each row `width` pixels left to right.
/// Painting goes through row(): one bounds check per row, then plain stores. Bitmaps of 2 MiB and more
/// ask the system for huge pages: a fresh process otherwise spends more time in the kernel handing out
/// the bitmap's 4 KiB pages one by one than in painting them.
class Bitmap32 {
public:
    Bitmap32() = default;
    Bitmap32(const Bitmap32& other);
    Bitmap32& operator=(const Bitmap32& other);
    Bitmap32(Bitmap32&&) noexcept = default;
    Bitmap32& operator=(Bitmap32&&) noexcept = default;
    ~Bitmap32() = default;

    /// A bitmap of the given size, every pixel 0. Raises RangeError for a negative size or one whose
    /// pixel count does not fit in memory arithmetic.
    Bitmap32(std::int32_t width, std::int32_t height);

    /// A bitmap of the given size with every pixel `value`, written in one pass. Same errors.
    Bitmap32(std::int32_t width, std::int32_t height, Pixel32 value);

    /// Changes the size; the pixels become 0. Same errors as the constructor.
    void setSize(std::int32_t width, std::int32_t height);

    std::int32_t width() const noexcept { return m_width; }
    std::int32_t height() const noexcept { return m_height; }

    /// The first pixel of row y, followed by the row's other width() − 1 pixels.
    /// Raises RangeError "Scan line index out of range" when y is not a row of the bitmap.
    Pixel32* row(std::int32_t y);
    const Pixel32* row(std::int32_t y) const;

    /// The pixel at column x of row y; raises RangeError outside the bitmap.
    Pixel32 pixel(std::int32_t x, std::int32_t y) const;

    /// Sets every pixel to `value`.
    void fill(Pixel32 value) noexcept;

private:
    void allocate(std::int32_t width, std::int32_t height, Pixel32 value);

    struct FreePixels {
        void operator()(Pixel32* pixels) const noexcept;
    };

    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::size_t m_count = 0;
    std::unique_ptr<Pixel32[], FreePixels> m_pixels;
};

} // namespace orbiclock
