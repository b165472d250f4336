#include "wallpaper/GifLzw.h"

#include "astro/OrbiclockError.h"

#include <algorithm>
#include <array>
#include <string>

namespace orbiclock {
namespace {

constexpr int kMaxCode = 4095;        ///< the largest 12-bit code
constexpr std::size_t kMaxBlock = 255; ///< bytes of a data sub-block

/// Packs codes into bytes, least significant bit first, and the bytes into counted sub-blocks.
class CodeStream {
public:
    explicit CodeStream(std::vector<std::uint8_t>& out) : m_out(out) {}

    void put(int code, int width)
    {
        m_bits |= static_cast<std::uint64_t>(code) << m_bitCount;
        m_bitCount += width;
        while (m_bitCount >= 8) {
            putByte(static_cast<std::uint8_t>(m_bits & 0xFFu));
            m_bits >>= 8;
            m_bitCount -= 8;
        }
    }

    /// Writes the bits still held, closes the last sub-block and adds the terminating empty block.
    void finish()
    {
        while (m_bitCount > 0) {
            putByte(static_cast<std::uint8_t>(m_bits & 0xFFu));
            m_bits >>= 8;
            m_bitCount -= 8;
        }
        if (m_blockLength != 0)
            m_out[m_blockStart] = static_cast<std::uint8_t>(m_blockLength);
        m_out.push_back(0);
    }

private:
    void putByte(std::uint8_t byte)
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

    std::vector<std::uint8_t>& m_out;
    std::uint64_t m_bits = 0;
    int m_bitCount = 0;
    std::size_t m_blockStart = 0;
    std::size_t m_blockLength = 0;
};

/// The LZW dictionary and the state of the code stream. Besides the child table it knows, for every
/// index, the codes of the strings made of that index alone (the index repeated 1, 2, … times), which
/// lets a long run be followed through them without looking at its pixels one by one.
class LzwEncoder {
public:
    LzwEncoder(std::vector<std::uint8_t>& out, int colourBits)
        : m_codeSize(std::max(2, colourBits))
        , m_indexCount(1u << colourBits)
        , m_clearCode(1 << m_codeSize)
        , m_endCode(m_clearCode + 1)
        , m_firstFree(m_clearCode + 2)
        , m_child(static_cast<std::size_t>(kMaxCode + 1) << m_codeSize, 0)
        , m_stream(out)
    {
        out.push_back(static_cast<std::uint8_t>(m_codeSize));
        for (unsigned index = 0; index < m_indexCount; ++index) {
            m_runLength[index] = 1;
            m_runIndex[index] = static_cast<std::uint8_t>(index);
            m_runCodes[index].reserve(64);
            m_runCodes[index].push_back(static_cast<std::uint16_t>(index));
        }
        startTable();
        write(m_clearCode);
    }

    /// Adds `count` pixels of colour-map index `index`.
    void add(std::uint8_t index, std::size_t count)
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
            // The current string is `index` repeated k times and the dictionary holds it repeated up to
            // m times: the next pixels of the run only walk along those strings.
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

    /// Writes the last string and the end code and closes the data.
    void finish()
    {
        if (m_current < 0)
            throw RangeError("A GIF image needs at least one pixel");
        write(m_current);
        write(m_endCode);
        m_stream.finish();
    }

private:
    /// One pixel through the dictionary: the current string grows by it when the dictionary knows the
    /// longer string; otherwise the current string's code is written, the longer string gets the next
    /// free code (or the table starts afresh when none is left) and the pixel starts a new string.
    void step(std::uint8_t index)
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

    /// An empty table: only the single indices and the two special codes, 3 more bits than the indices.
    void startTable()
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

    /// Each written code may widen the codes that follow, exactly when the next free code has reached
    /// the limit of the present width.
    void write(int code)
    {
        m_stream.put(code, m_width);
        if (m_nextCode >= m_widthLimit)
            m_widthLimit = 1 << ++m_width;
    }

    const int m_codeSize;
    const unsigned m_indexCount;
    const int m_clearCode;
    const int m_endCode;
    const int m_firstFree;
    /// m_child[(code << m_codeSize) | index]: the code of string `code` followed by `index`, 0 for none
    /// (no string longer than one pixel has a code as low as 0).
    std::vector<std::uint16_t> m_child;
    std::array<std::uint16_t, kMaxCode + 1> m_runLength{}; ///< k for `index` repeated k times, else 0
    std::array<std::uint8_t, kMaxCode + 1> m_runIndex{};
    std::array<std::vector<std::uint16_t>, 256> m_runCodes; ///< [index][k − 1]: code of index repeated k times
    CodeStream m_stream;
    int m_current = -1; ///< the code of the string being extended; none before the first pixel
    int m_nextCode = 0;
    int m_width = 0;
    int m_widthLimit = 0;
};

} // namespace

void appendGifImageData(std::vector<std::uint8_t>& out, std::span<const GifRun> runs, int colourBits)
{
    if (colourBits < 1 || colourBits > 8)
        throw RangeError("A GIF colour map cannot have 2^" + std::to_string(colourBits) + " entries");
    LzwEncoder encoder(out, colourBits);
    for (const GifRun& run : runs)
        encoder.add(run.index, run.length);
    encoder.finish();
}

} // namespace orbiclock
