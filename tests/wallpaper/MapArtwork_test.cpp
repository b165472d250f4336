// The shipped map pictures follow the map projection: places inland are transparent land on every
// background, open sea is opaque, and the sizes are those the page asks for.

#include "DecodedGif.h"
#include "astro/MapProjection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace orbiclock {
namespace {

using testing::decodeGif;
using testing::DecodedGif;

const std::filesystem::path kImages = std::filesystem::path(ORBICLOCK_SOURCE_DIR) / "assets" / "opt";

struct Place {
    const char* name;
    double latitudeDeg;
    double longitudeDeg;
};

// Each at least a few hundred kilometres from any coast.
const Place kInland[] = {
    {"Sahara", 23.0, 10.0},          {"Siberia", 62.0, 100.0},   {"Amazonia", -8.0, -55.0},
    {"Australian interior", -25.0, 134.0}, {"Great Plains", 40.0, -100.0}, {"Central Africa", 2.0, 22.0},
    {"Greenland", 72.0, -40.0},      {"Antarctica", -78.0, 40.0},
};
const Place kOpenSea[] = {
    {"North Atlantic", 30.0, -40.0}, {"Central Pacific", 0.0, -140.0}, {"Indian Ocean", -30.0, 80.0},
    {"Southern Ocean", -58.0, -100.0}, {"Arctic Ocean", 84.0, -150.0}, {"Tasman Sea", -40.0, 160.0},
};

struct BackgroundCase {
    const char* file;
    int width;
    int height;
};

class Background : public ::testing::TestWithParam<BackgroundCase> {};

TEST_P(Background, IsTransparentLandOnOpaqueSeaInTheMapsGeometry)
{
    const BackgroundCase c = GetParam();
    const DecodedGif gif = decodeGif(kImages / c.file);
    EXPECT_EQ(gif.width, c.width);
    EXPECT_EQ(gif.height, c.height);
    EXPECT_EQ(gif.imageCount, 1);
    ASSERT_TRUE(gif.transparentIndex.has_value()) << c.file;
    const double scale = c.width / 1600.0;
    const auto pixelOf = [&](const Place& p) {
        return std::pair{static_cast<int>(std::floor((LongitudeToMapX(p.longitudeDeg) + 0.5) * scale)),
                         static_cast<int>(std::floor((LatitudeToMapY(p.latitudeDeg) + 0.5) * scale))};
    };
    for (const Place& p : kInland) {
        const auto [x, y] = pixelOf(p);
        EXPECT_EQ(gif.index(x, y), *gif.transparentIndex) << c.file << ": " << p.name << " at " << x << ", " << y;
    }
    for (const Place& p : kOpenSea) {
        const auto [x, y] = pixelOf(p);
        EXPECT_NE(gif.index(x, y), *gif.transparentIndex) << c.file << ": " << p.name << " at " << x << ", " << y;
    }
    // The margins beyond ±180° are sea.
    EXPECT_NE(gif.index(static_cast<int>(30 * scale), static_cast<int>(600 * scale)), *gif.transparentIndex);
    EXPECT_NE(gif.index(static_cast<int>(1550 * scale), static_cast<int>(600 * scale)), *gif.transparentIndex);
}

INSTANTIATE_TEST_SUITE_P(ShippedBackgrounds, Background,
                         ::testing::Values(BackgroundCase{"1600_background.gif", 1600, 1200},
                                           BackgroundCase{"1200_background.gif", 1200, 900},
                                           BackgroundCase{"1024_background.gif", 1024, 768},
                                           BackgroundCase{"800_background.gif", 800, 600}),
                         [](const ::testing::TestParamInfo<BackgroundCase>& param) {
                             return "w" + std::to_string(param.param.width);
                         });

TEST(MapArtwork, TheSidebarsAreOpaqueStripsAsTallAsTheWideBackground)
{
    const DecodedGif gif = decodeGif(kImages / "1920_background_sidebars.gif");
    EXPECT_EQ(gif.width, 160);
    EXPECT_EQ(gif.height, 1200);
    EXPECT_FALSE(gif.transparentIndex.has_value());
    // The same sea as the map's margins, so the strips continue the map.
    const DecodedGif map = decodeGif(kImages / "1600_background.gif");
    EXPECT_EQ(gif.rgb(80, 600), map.rgb(20, 600));
}

TEST(MapArtwork, TheReferenceMapHasCoastlinesOnABlueFieldAtTheReferenceSize)
{
    const DecodedGif gif = decodeGif(kImages / "world_reference.gif");
    EXPECT_EQ(gif.width, kReferenceMapWidth);
    EXPECT_EQ(gif.height, kReferenceMapHeight);
    EXPECT_FALSE(gif.transparentIndex.has_value());
    const auto isBlue = [](std::uint32_t rgb) { return (rgb & 0xFF) > ((rgb >> 16) & 0xFF) + 60; };
    const auto isGrey = [](std::uint32_t rgb) {
        const int r = static_cast<int>(rgb >> 16 & 0xFF), g = static_cast<int>(rgb >> 8 & 0xFF),
                  b = static_cast<int>(rgb & 0xFF);
        return std::abs(r - g) < 16 && std::abs(g - b) < 16 && r > 120;
    };
    EXPECT_TRUE(isBlue(gif.rgb(20, 20)));
    for (const Place& p : kInland)
        EXPECT_TRUE(isBlue(gif.rgb(LongitudeToMapX(p.longitudeDeg), LatitudeToMapY(p.latitudeDeg)))) << p.name;
    // Walking east along the equator from the open Atlantic, the first non-blue pixel is Africa's coast
    // (Gabon, near 9.3°E), drawn grey.
    const int y = LatitudeToMapY(0.5);
    int x = LongitudeToMapX(-20.0);
    while (x < 1600 && isBlue(gif.rgb(x, y)))
        ++x;
    EXPECT_TRUE(isGrey(gif.rgb(x, y))) << std::hex << gif.rgb(x, y);
    EXPECT_NEAR(x, LongitudeToMapX(9.3), 4);
}

} // namespace
} // namespace orbiclock
