#pragma once

// Test helper: reads a GIF file back with giflib's decoder.

#include <gif_lib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orbiclock::testing {

struct DecodedGif {
    int width = 0;
    int height = 0;
    int imageCount = 0;
    std::string version;                  ///< "GIF87a" or "GIF89a"
    std::vector<std::uint32_t> colourMap; ///< 0xRRGGBB, global colour map of the screen
    std::optional<int> transparentIndex;  ///< from the first frame's graphic control extension
    std::vector<std::uint8_t> indices;    ///< first frame, row by row
    bool frameCoversScreen = false;       ///< the first frame starts at (0, 0) and has the screen's size

    std::uint8_t index(int x, int y) const { return indices.at(static_cast<std::size_t>(y * width + x)); }
    std::uint32_t rgb(int x, int y) const { return colourMap.at(index(x, y)); }
};

inline DecodedGif decodeGif(const std::filesystem::path& file)
{
    int error = 0;
    GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
    if (!gif)
        throw std::runtime_error("cannot open GIF " + file.string() + ": " + GifErrorString(error));
    struct Closer {
        GifFileType* gif;
        ~Closer()
        {
            int ignored = 0;
            DGifCloseFile(gif, &ignored);
        }
    } closer{gif};
    if (DGifSlurp(gif) == GIF_ERROR)
        throw std::runtime_error("cannot decode GIF " + file.string() + ": " + GifErrorString(gif->Error));

    DecodedGif decoded;
    decoded.width = gif->SWidth;
    decoded.height = gif->SHeight;
    decoded.imageCount = gif->ImageCount;
    {
        std::ifstream in(file, std::ios::binary);
        char signature[6] = {};
        in.read(signature, sizeof signature);
        decoded.version.assign(signature, sizeof signature);
    }
    if (gif->SColorMap) {
        for (int i = 0; i < gif->SColorMap->ColorCount; ++i) {
            const GifColorType c = gif->SColorMap->Colors[i];
            decoded.colourMap.push_back(static_cast<std::uint32_t>(c.Red) << 16 |
                                        static_cast<std::uint32_t>(c.Green) << 8 | c.Blue);
        }
    }
    if (gif->ImageCount > 0) {
        GraphicsControlBlock control{};
        if (DGifSavedExtensionToGCB(gif, 0, &control) == GIF_OK && control.TransparentColor != NO_TRANSPARENT_COLOR)
            decoded.transparentIndex = control.TransparentColor;
        const SavedImage& frame = gif->SavedImages[0];
        decoded.frameCoversScreen = frame.ImageDesc.Left == 0 && frame.ImageDesc.Top == 0 &&
                                    frame.ImageDesc.Width == gif->SWidth && frame.ImageDesc.Height == gif->SHeight;
        const auto count = static_cast<std::size_t>(frame.ImageDesc.Width) * static_cast<std::size_t>(frame.ImageDesc.Height);
        decoded.indices.assign(frame.RasterBits, frame.RasterBits + count);
    }
    return decoded;
}

} // namespace orbiclock::testing
