#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orbiclock {

/// The table-based image data of a GIF image, appended to a byte vector as the pixels come: the LZW
/// minimum code size byte (max(2, colourBits)), the compressed pixels in data sub-blocks of at most
/// 255 bytes, and the empty block that ends them. Pixels are given as runs of one colour-map index in
/// the order the image stores them (rows top to bottom, each left to right; a run may go on into the
/// next row), so a caller never needs the whole image as indices.
///
/// The codes are the ones giflib's encoder writes, so the files stay byte for byte what it made of the
/// same pixels: a clear code first; the code width grows after writing a code once the next free code
/// no longer fits; when code 4095 would be assigned, a clear code is written instead and the table
/// starts afresh. The dictionary is a direct table of child codes rather than a hash, and inside a run
/// the strings of that one index are followed in one step each rather than pixel by pixel, so the work
/// grows with the codes written rather than with the pixels.
class GifLzwEncoder {
public:
    /// Starts the data in `out`, which must outlive the encoder. `colourBits` is 1 to 8, the size of
    /// the colour map as a power of two; raises RangeError otherwise.
    GifLzwEncoder(std::vector<std::uint8_t>& out, int colourBits);

    /// Adds `count` pixels of colour-map index `index` (0 adds nothing). Raises RangeError for an index
    /// of 2^colourBits or more.
    void add(std::uint8_t index, std::size_t count);

    /// Writes the last string and the end code and closes the data. Raises RangeError when no pixel
    /// was added.
    void finish();

private:
    static constexpr int kMaxCode = 4095; ///< the largest 12-bit code

    void step(std::uint8_t index);
    void startTable();
    void write(int code);
    void putByte(std::uint8_t byte);

    std::vector<std::uint8_t>& m_out;
    int m_codeSize = 0;
    unsigned m_indexCount = 0;
    int m_clearCode = 0;
    int m_endCode = 0;
    int m_firstFree = 0;
    /// m_child[(code << m_codeSize) | index]: the code of string `code` followed by `index`, 0 for none
    /// (no string longer than one pixel has a code as low as 0).
    std::vector<std::uint16_t> m_child;
    std::array<std::uint16_t, kMaxCode + 1> m_runLength{}; ///< k for an index repeated k times, else 0
    std::array<std::uint8_t, kMaxCode + 1> m_runIndex{};
    std::array<std::vector<std::uint16_t>, 256> m_runCodes; ///< [index][k − 1]: code of index repeated k times
    int m_current = -1; ///< the code of the string being extended; none before the first pixel
    int m_nextCode = 0;
    int m_width = 0;
    int m_widthLimit = 0;
    // Codes packed into bytes, least significant bit first, and the bytes into counted sub-blocks.
    std::uint64_t m_bits = 0;
    int m_bitCount = 0;
    std::size_t m_blockStart = 0;
    std::size_t m_blockLength = 0;
};

} // namespace orbiclock
