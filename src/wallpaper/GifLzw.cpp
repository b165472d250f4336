#include "wallpaper/GifLzw.h"

#include "astro/OrbiclockError.h"

#include <algorithm>
#include <string>

namespace orbiclock {
namespace {

constexpr std::size_t kMaxBlock = 255; ///< bytes of a data sub-block

} // namespace

GifLzwEncoder::GifLzwEncoder(std::vector<std::uint8_t>& out, int colourBits) : m_out(out)
{
    if (colourBits < 1 || colourBits > 8)
        throw RangeError("A GIF colour map cannot have 2^" + std::to_string(colourBits) + " entries");
    m_codeSize = std::max(2, colourBits);
    m_indexCount = 1u << colourBits;
    m_clearCode = 1 << m_codeSize;
    m_endCode = m_clearCode + 1;
    m_firstFree = m_clearCode + 2;
    m_child.assign(static_cast<std::size_t>(kMaxCode + 1) << m_codeSize, 0);
    for (unsigned index = 0; index < m_indexCount; ++index) {
        m_runLength[index] = 1;
        m_runIndex[index] = static_cast<std::uint8_t>(index);
        m_runCodes[index].reserve(64);
        m_runCodes[index].push_back(static_cast<std::uint16_t>(index));
    }
    m_out.push_back(static_cast<std::uint8_t>(m_codeSize));
    startTable();
    write(m_clearCode);
}

void GifLzwEncoder::add(std::uint8_t index, std::size_t count)
{
    if (index >= m_indexCount)
        throw RangeError("Colour index " + std::to_string(index) + " is outside the colour map");
    if (count == 0)
        return;
    if (m_current < 0) {
        m_current = index;
        --count;
    }
    while (count > 0) {
        // The current string is `index` repeated k times and the dictionary holds it repeated up to m
        // times: the next pixels of the run only walk along those strings.
        const std::size_t k = m_runLength[static_cast<std::size_t>(m_current)];
        if (k != 0 && m_runIndex[static_cast<std::size_t>(m_current)] == index) {
            const std::vector<std::uint16_t>& codes = m_runCodes[index];
            if (k < codes.size()) {
                const std::size_t advance = std::min(count, codes.size() - k);
                m_current = codes[k + advance - 1];
                count -= advance;
                continue;
            }
        }
        step(index);
        --count;
    }
}

void GifLzwEncoder::finish()
{
    if (m_current < 0)
        throw RangeError("A GIF image needs at least one pixel");
    write(m_current);
    write(m_endCode);
    while (m_bitCount > 0) {
        putByte(static_cast<std::uint8_t>(m_bits & 0xFFu));
        m_bits >>= 8;
        m_bitCount -= 8;
    }
    if (m_blockLength != 0)
        m_out[m_blockStart] = static_cast<std::uint8_t>(m_blockLength);
    m_out.push_back(0);
}

/// One pixel through the dictionary: the current string grows by it when the dictionary knows the
/// longer string; otherwise the current string's code is written, the longer string gets the next free
/// code (or the table starts afresh when none is left) and the pixel starts a new string.
void GifLzwEncoder::step(std::uint8_t index)
{
    const auto current = static_cast<std::size_t>(m_current);
    std::uint16_t& extended = m_child[(current << m_codeSize) | index];
    if (extended != 0) {
        m_current = extended;
        return;
    }
    write(m_current);
    if (m_nextCode >= kMaxCode) {
        write(m_clearCode);
        startTable();
    } else {
        const auto code = static_cast<std::uint16_t>(m_nextCode++);
        extended = code;
        if (m_runLength[current] != 0 && m_runIndex[current] == index) {
            m_runLength[code] = static_cast<std::uint16_t>(m_runLength[current] + 1);
            m_runIndex[code] = index;
            m_runCodes[index].push_back(code);
        }
    }
    m_current = index;
}

/// An empty table: only the single indices and the two special codes, codes one bit wider than the
/// code size.
void GifLzwEncoder::startTable()
{
    std::fill(m_child.begin(), m_child.end(), std::uint16_t{0});
    for (int code = m_firstFree; code < m_nextCode; ++code)
        m_runLength[static_cast<std::size_t>(code)] = 0;
    for (unsigned index = 0; index < m_indexCount; ++index)
        m_runCodes[index].resize(1);
    m_nextCode = m_firstFree;
    m_width = m_codeSize + 1;
    m_widthLimit = 1 << m_width;
}

/// Each written code may widen the codes that follow, exactly when the next free code has reached the
/// limit of the present width.
void GifLzwEncoder::write(int code)
{
    m_bits |= static_cast<std::uint64_t>(code) << m_bitCount;
    m_bitCount += m_width;
    while (m_bitCount >= 8) {
        putByte(static_cast<std::uint8_t>(m_bits & 0xFFu));
        m_bits >>= 8;
        m_bitCount -= 8;
    }
    if (m_nextCode >= m_widthLimit)
        m_widthLimit = 1 << ++m_width;
}

void GifLzwEncoder::putByte(std::uint8_t byte)
{
    if (m_blockLength == 0) {
        m_blockStart = m_out.size();
        m_out.push_back(0); // the count, filled in when the block is closed
    }
    m_out.push_back(byte);
    if (++m_blockLength == kMaxBlock) {
        m_out[m_blockStart] = static_cast<std::uint8_t>(kMaxBlock);
        m_blockLength = 0;
    }
}

} // namespace orbiclock
