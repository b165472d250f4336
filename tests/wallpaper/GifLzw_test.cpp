#include "wallpaper/GifLzw.h"

#include "astro/OrbiclockError.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace orbiclock {
namespace {

int collect(GifFileType* gif, const GifByteType* data, int length)
{
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    bytes->insert(bytes->end(), data, data + length);
    return length;
}

/// What giflib's own encoder writes for the image data of these pixels: a one-image file is made with
/// it and cut after the image descriptor and before the trailer.
std::vector<std::uint8_t> giflibImageData(const std::vector<std::uint8_t>& indices, int width, int colourBits)
{
    const int height = static_cast<int>(indices.size()) / width;
    std::vector<std::uint8_t> file;
    int error = 0;
    GifFileType* gif = EGifOpen(&file, collect, &error);
    ColorMapObject* map = GifMakeMapObject(1 << colourBits, nullptr);
    if (gif == nullptr || map == nullptr)
        throw std::runtime_error("giflib could not start");
    std::vector<std::uint8_t> line(static_cast<std::size_t>(width));
    bool ok = EGifPutScreenDesc(gif, width, height, colourBits, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < height; ++y) {
        line.assign(indices.begin() + static_cast<std::ptrdiff_t>(y) * width,
                    indices.begin() + static_cast<std::ptrdiff_t>(y + 1) * width);
        ok = EGifPutLine(gif, line.data(), width) == GIF_OK;
    }
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK || !ok)
        throw std::runtime_error("giflib could not encode");
    const std::size_t header = 6 + 7 + 3 * (std::size_t{1} << colourBits) + 10;
    return {file.begin() + static_cast<std::ptrdiff_t>(header), file.end() - 1};
}

/// Our data for the pixels, given as runs; a run of length 0 between every two shows that it changes
/// nothing, and every run is split in two to show that where a run is cut does not matter either.
std::vector<std::uint8_t> ourImageData(const std::vector<std::uint8_t>& indices, int colourBits)
{
    std::vector<std::uint8_t> out = {0xAB}; // data is appended after what is already there
    GifLzwEncoder encoder(out, colourBits);
    std::size_t i = 0;
    while (i < indices.size()) {
        std::size_t end = i + 1;
        while (end < indices.size() && indices[end] == indices[i])
            ++end;
        const std::size_t length = end - i;
        encoder.add(indices[i], length / 3);
        encoder.add(indices[i], length - length / 3);
        encoder.add(static_cast<std::uint8_t>(indices[i] ^ 1u), 0);
        i = end;
    }
    encoder.finish();
    if (out.front() != 0xAB)
        throw std::runtime_error("the bytes before the data were changed");
    out.erase(out.begin());
    return out;
}

struct Case {
    const char* name;
    int width;
    int height;
    int colourBits;
    /// The colour index of pixel (x, y); `noise` is a random number for the pixel.
    std::uint8_t (*pixel)(int x, int y, std::uint32_t noise);
};

const Case kCases[] = {
    {"one pixel", 1, 1, 1, [](int, int, std::uint32_t) -> std::uint8_t { return 1; }},
    {"one colour over a wide overlay row set", 1390, 60, 1, [](int, int, std::uint32_t) -> std::uint8_t { return 0; }},
    {"day and night spans with a twilight checkerboard", 1390, 80, 2,
     [](int x, int y, std::uint32_t) -> std::uint8_t {
         if (x < 300 + y)
             return 0;
         if (x < 420 + y)
             return static_cast<std::uint8_t>(1 + ((x + y) & 1));
         return 1;
     }},
    {"sparse dots on green", 1390, 120, 2,
     [](int x, int y, std::uint32_t noise) -> std::uint8_t {
         return y % 5 == 0 && noise % 97 == 0 ? static_cast<std::uint8_t>(1 + (x & 1)) : 0;
     }},
    {"noise of 256 colours, many table resets", 301, 257, 8,
     [](int, int, std::uint32_t noise) -> std::uint8_t { return static_cast<std::uint8_t>(noise); }},
    {"noise of 16 colours", 513, 199, 4,
     [](int, int, std::uint32_t noise) -> std::uint8_t { return static_cast<std::uint8_t>(noise & 15); }},
    {"noise of 2 colours in a map of 2", 640, 480, 1,
     [](int, int, std::uint32_t noise) -> std::uint8_t { return static_cast<std::uint8_t>(noise & 1); }},
    {"colour 3 of a map of 8, runs of random length", 997, 311, 3,
     [](int x, int, std::uint32_t noise) -> std::uint8_t {
         return noise % 13 == 0 ? static_cast<std::uint8_t>(noise % 8) : static_cast<std::uint8_t>((x / 37) % 8);
     }},
    {"runs of 23 pixels in 256 colours, past several table resets", 1390, 300, 8,
     [](int x, int y, std::uint32_t) -> std::uint8_t {
         const auto run = static_cast<std::uint32_t>((y * 1390 + x) / 23);
         return static_cast<std::uint8_t>((run * 2654435761u) >> 24);
     }},
    {"runs of 1000 pixels in 3 colours across rows", 1390, 900, 2,
     [](int x, int y, std::uint32_t) -> std::uint8_t {
         const auto run = static_cast<std::uint32_t>((y * 1390 + x) / 1000);
         return static_cast<std::uint8_t>(((run * 2654435761u) >> 16) % 3);
     }},
};

TEST(GifLzw, WritesTheBytesGiflibWrites)
{
    for (const Case& c : kCases) {
        std::mt19937 random(12345);
        std::vector<std::uint8_t> indices;
        indices.reserve(static_cast<std::size_t>(c.width) * c.height);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                indices.push_back(c.pixel(x, y, static_cast<std::uint32_t>(random())));

        const std::vector<std::uint8_t> ours = ourImageData(indices, c.colourBits);
        const std::vector<std::uint8_t> reference = giflibImageData(indices, c.width, c.colourBits);
        ASSERT_EQ(ours.size(), reference.size()) << c.name;
        std::size_t firstDifference = 0;
        while (firstDifference < ours.size() && ours[firstDifference] == reference[firstDifference])
            ++firstDifference;
        EXPECT_EQ(firstDifference, ours.size()) << c.name << ": bytes differ from offset " << firstDifference;
    }
}

TEST(GifLzw, RefusesWhatNoColourMapCanHold)
{
    std::vector<std::uint8_t> out;
    {
        GifLzwEncoder encoder(out, 1);
        encoder.add(1, 3);
        EXPECT_THROW(encoder.add(2, 1), RangeError) << "index 2 in a map of 2";
    }
    {
        GifLzwEncoder encoder(out, 2);
        EXPECT_THROW(encoder.add(4, 1), RangeError) << "a first index of 4 in a map of 4";
    }
    {
        GifLzwEncoder encoder(out, 2);
        EXPECT_THROW(encoder.finish(), RangeError) << "no pixels";
    }
    {
        GifLzwEncoder encoder(out, 2);
        encoder.add(1, 0);
        EXPECT_THROW(encoder.finish(), RangeError) << "only empty runs";
    }
    EXPECT_THROW(GifLzwEncoder(out, 0), RangeError) << "a map of 1";
    EXPECT_THROW(GifLzwEncoder(out, 9), RangeError) << "a map of 512";
}

} // namespace
} // namespace orbiclock
