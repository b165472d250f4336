#include "wallpaper/Bitmap32.h"

#include "astro/OrbiclockError.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>
#include <string>

namespace orbiclock {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kCacheLine = 64;

/// Storage for `count` pixels, not yet written: aligned to huge pages from 2 MiB, to cache lines below.
Pixel32* allocatePixels(std::size_t count)
{
    if (count == 0)
        return nullptr;
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(Pixel32) - kHugePage)
        throw RangeError("A bitmap of " + std::to_string(count) + " pixels does not fit in memory");
    const std::size_t bytes = count * sizeof(Pixel32);
    const std::size_t alignment = bytes >= kHugePage ? kHugePage : kCacheLine;
    const std::size_t size = (bytes + alignment - 1) / alignment * alignment;
    void* memory = std::aligned_alloc(alignment, size);
    if (memory == nullptr)
        throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    // Only advice: without huge pages the bitmap works all the same.
    if (alignment == kHugePage)
        ::madvise(memory, size, MADV_HUGEPAGE);
#endif
    return static_cast<Pixel32*>(memory);
}

} // namespace

void Bitmap32::FreePixels::operator()(Pixel32* pixels) const noexcept
{
    std::free(pixels);
}

Bitmap32::Bitmap32(std::int32_t width, std::int32_t height)
{
    allocate(width, height, 0u);
}

Bitmap32::Bitmap32(std::int32_t width, std::int32_t height, Pixel32 value)
{
    allocate(width, height, value);
}

Bitmap32::Bitmap32(const Bitmap32& other)
    : m_width(other.m_width), m_height(other.m_height), m_count(other.m_count), m_pixels(allocatePixels(other.m_count))
{
    std::copy_n(other.m_pixels.get(), m_count, m_pixels.get());
}

Bitmap32& Bitmap32::operator=(const Bitmap32& other)
{
    if (this != &other) {
        Bitmap32 copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void Bitmap32::setSize(std::int32_t width, std::int32_t height)
{
    allocate(width, height, 0u);
}

void Bitmap32::allocate(std::int32_t width, std::int32_t height, Pixel32 value)
{
    if (width < 0 || height < 0)
        throw RangeError("Invalid bitmap size " + std::to_string(width) + " x " + std::to_string(height));
    // Two 31-bit factors cannot overflow 64 bits.
    const auto count = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (count > std::numeric_limits<std::size_t>::max())
        throw RangeError("Invalid bitmap size " + std::to_string(width) + " x " + std::to_string(height));
    std::unique_ptr<Pixel32[], FreePixels> pixels(allocatePixels(static_cast<std::size_t>(count)));
    std::fill_n(pixels.get(), static_cast<std::size_t>(count), value);
    m_pixels = std::move(pixels);
    m_count = static_cast<std::size_t>(count);
    m_width = width;
    m_height = height;
}

Pixel32* Bitmap32::row(std::int32_t y)
{
    if (y < 0 || y >= m_height)
        throw RangeError("Scan line index out of range");
    return m_pixels.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
}

const Pixel32* Bitmap32::row(std::int32_t y) const
{
    if (y < 0 || y >= m_height)
        throw RangeError("Scan line index out of range");
    return m_pixels.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
}

Pixel32 Bitmap32::pixel(std::int32_t x, std::int32_t y) const
{
    if (x < 0 || x >= m_width)
        throw RangeError("Pixel column " + std::to_string(x) + " out of range");
    return row(y)[x];
}

void Bitmap32::fill(Pixel32 value) noexcept
{
    std::fill_n(m_pixels.get(), m_count, value);
}

} // namespace orbiclock
