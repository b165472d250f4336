#include "wallpaper/BackgroundLayout.h"

#include <gtest/gtest.h>

namespace orbiclock {
namespace {

TEST(BackgroundLayout, BandsStartAtTheirWidthAndCentreTheLayer)
{
    struct Case {
        ScreenSize screen;
        BackgroundLayout expected;
    };
    const Case cases[] = {
        {{1920, 1080}, {"1600_background.gif", 1600, 1200, 160, -60, 1.0}},
        {{1600, 1200}, {"1600_background.gif", 1600, 1200, 0, 0, 1.0}},
        {{1599, 900}, {"1200_background.gif", 1200, 900, 199, 0, 0.75}},
        {{1366, 768}, {"1200_background.gif", 1200, 900, 83, -66, 0.75}},
        {{1280, 1024}, {"1200_background.gif", 1200, 900, 40, 62, 0.75}},
        {{1200, 800}, {"1200_background.gif", 1200, 900, 0, -50, 0.75}},
        {{1024, 768}, {"1024_background.gif", 1024, 768, 0, 0, 0.64}},
        {{1199, 635}, {"1024_background.gif", 1024, 768, 87, -66, 0.64}},
        {{800, 600}, {"800_background.gif", 800, 600, 0, 0, 0.5}},
        {{640, 480}, {"800_background.gif", 640, 480, 0, 0, 0.4}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(chooseBackground(c.screen), c.expected) << c.screen.width << "x" << c.screen.height;
}

TEST(ScreenBand, OverlaySizeAndDefaultCountByWidth)
{
    struct Case {
        std::int32_t width;
        OverlaySize overlay;
        std::int32_t defaultCount;
    };
    const Case cases[] = {{2560, {1390, 1200}, 0}, {1600, {1390, 1200}, 0}, {1599, {1100, 900}, 30},
                          {1200, {1100, 900}, 30}, {1199, {890, 768}, 20},  {1024, {890, 768}, 20},
                          {1023, {695, 600}, 15},  {800, {695, 600}, 15},   {799, {695, 600}, 10}};
    for (const auto& c : cases) {
        const ScreenBand band = screenBandFor(c.width);
        EXPECT_EQ(band.overlay, c.overlay) << c.width;
        EXPECT_EQ(band.defaultMaxNumLocs, c.defaultCount) << c.width;
    }
}

} // namespace
} // namespace orbiclock
