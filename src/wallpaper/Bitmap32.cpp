#include "wallpaper/Bitmap32.h"

#include "astro/OrbiclockError.h"

#include <algorithm>
#include <string>

namespace orbiclock {

Bitmap32::Bitmap32(std::int32_t width, std::int32_t height)
{
    allocate(width, height, 0u);
}

Bitmap32::Bitmap32(std::int32_t width, std::int32_t height, Pixel32 value)
{
    allocate(width, height, value);
}

void Bitmap32::setSize(std::int32_t width, std::int32_t height)
{
    allocate(width, height, 0u);
}

void Bitmap32::allocate(std::int32_t width, std::int32_t height, Pixel32 value)
{
    if (width < 0 || height < 0)
        throw RangeError("Invalid bitmap size " + std::to_string(width) + " x " + std::to_string(height));
    // Two 31-bit factors cannot overflow 64 bits; the vector reports a size it cannot hold.
    const auto count = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    std::vector<Pixel32> pixels(static_cast<std::size_t>(count), value);
    m_pixels.swap(pixels);
    m_width = width;
    m_height = height;
}

Pixel32* Bitmap32::row(std::int32_t y)
{
    if (y < 0 || y >= m_height)
        throw RangeError("Scan line index out of range");
    return m_pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
}

const Pixel32* Bitmap32::row(std::int32_t y) const
{
    if (y < 0 || y >= m_height)
        throw RangeError("Scan line index out of range");
    return m_pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
}

Pixel32 Bitmap32::pixel(std::int32_t x, std::int32_t y) const
{
    if (x < 0 || x >= m_width)
        throw RangeError("Pixel column " + std::to_string(x) + " out of range");
    return row(y)[x];
}

void Bitmap32::fill(Pixel32 value) noexcept
{
    std::fill(m_pixels.begin(), m_pixels.end(), value);
}

} // namespace orbiclock
