#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orbiclock {

/// `length` pixels in a row of one colour-map index, in the order the image stores its pixels (rows top
/// to bottom, each left to right; a run may go on into the next row).
struct GifRun {
    std::uint8_t index = 0;
    std::size_t length = 0;
};

/// Appends the table-based image data of a GIF image to `out`: the LZW minimum code size byte
/// (max(2, colourBits)), the compressed pixels in data sub-blocks of at most 255 bytes, and the empty
/// block that ends them. `runs` are the pixels as runs of one colour-map index, each index below
/// 2^colourBits; `colourBits` is 1 to 8, the size of the colour map as a power of two. Runs of length 0
/// are allowed and add nothing.
///
/// The codes are the ones giflib's encoder writes, so the files stay byte for byte what it made of the
/// same pixels: a clear code first; the code width grows after writing a code once the next free code
/// no longer fits; when code 4095 would be assigned, a clear code is written instead and the table
/// starts afresh. The dictionary is a direct table of child codes rather than a hash, and inside a run
/// the strings of that one index are followed in one step each rather than pixel by pixel, so the work
/// grows with the codes written rather than with the pixels. Raises RangeError for an image without
/// pixels or an index out of range.
void appendGifImageData(std::vector<std::uint8_t>& out, std::span<const GifRun> runs, int colourBits);

} // namespace orbiclock
