#pragma once

#include "wallpaper/Bitmap32.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace orbiclock {

/// The colour that becomes transparent in the GIF files: pure green, red 0, green 255, blue 0.
inline constexpr std::uint32_t kTransparentRgb = 0x00FF00u;

/// The bitmap as a single-frame GIF89a file image of the bitmap's size. The colour map holds the colours
/// the bitmap uses (fourth bytes ignored), in the order they first occur row by row; when pure green is
/// among them, a graphic control extension marks its index as transparent. Raises RangeError for an
/// empty bitmap and OrbiclockError for more than 256 colours or an encoder failure.
std::vector<std::uint8_t> encodeTransparentGif(const Bitmap32& bitmap);

/// The pixels of image row y, `width` of them, valid until the next call.
using GifRowSource = std::function<const Pixel32*(std::int32_t y)>;

/// encodeTransparentGif of a width × height image that is never held whole: `rowAt` gives its rows.
/// Each row is asked for twice, top to bottom for the colour map and then again for the pixels, and
/// must be the same both times. Same errors; the size is checked before any row is asked for.
std::vector<std::uint8_t> encodeTransparentGif(std::int32_t width, std::int32_t height, const GifRowSource& rowAt);

/// Encodes the bitmap as encodeTransparentGif() does and writes it to `fileName`, first under a
/// temporary name in the same folder which then replaces the file, so that a reader never sees half an
/// image. Raises FileError "Cannot create file "%s". %s" when the file cannot be written.
void SaveTransparentGif(const Bitmap32& bitmap, const std::filesystem::path& fileName);

/// Writes the bytes of an encoded GIF to `fileName` the way SaveTransparentGif does, through a temporary
/// file that then replaces it, so an image encoded elsewhere is saved with the same guarantees. Raises
/// FileError "Cannot create file "%s". %s" when the file cannot be written.
void saveGifBytes(const std::vector<std::uint8_t>& bytes, const std::filesystem::path& fileName);

} // namespace orbiclock
