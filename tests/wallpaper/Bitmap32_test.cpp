#include "wallpaper/Bitmap32.h"

#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

#include <cstring>

namespace orbiclock {
namespace {

TEST(Bitmap32, PixelBytesAreBlueGreenRedFourthInMemory)
{
    const Pixel32 pixel = makePixel(0x11, 0x22, 0x33, 0x44);
    unsigned char bytes[4];
    std::memcpy(bytes, &pixel, sizeof bytes);
    EXPECT_EQ(bytes[0], 0x33);
    EXPECT_EQ(bytes[1], 0x22);
    EXPECT_EQ(bytes[2], 0x11);
    EXPECT_EQ(bytes[3], 0x44);
    EXPECT_EQ(rgbOf(pixel), 0x112233u);
    EXPECT_EQ(redOf(pixel), 0x11);
    EXPECT_EQ(greenOf(pixel), 0x22);
    EXPECT_EQ(blueOf(pixel), 0x33);
}

TEST(Bitmap32, RowsAreWidthPixelsApartAndFillReachesEveryPixel)
{
    Bitmap32 bitmap(3, 4);
    EXPECT_EQ(bitmap.row(1), bitmap.row(0) + 3);
    EXPECT_EQ(bitmap.row(3), bitmap.row(0) + 9);
    bitmap.fill(makePixel(0, 255, 0));
    bitmap.row(2)[1] = makePixel(1, 2, 3);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(bitmap.pixel(x, y), x == 1 && y == 2 ? makePixel(1, 2, 3) : makePixel(0, 255, 0)) << x << ", " << y;
}

TEST(Bitmap32, AFillValueGivenAtConstructionReachesEveryPixel)
{
    const Pixel32 green = makePixel(0, 255, 0, 7);
    const Bitmap32 bitmap(5, 3, green);
    EXPECT_EQ(bitmap.width(), 5);
    EXPECT_EQ(bitmap.height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(bitmap.pixel(x, y), green) << x << ", " << y;
    EXPECT_THROW(Bitmap32(3, -1, green), RangeError);
    EXPECT_EQ(Bitmap32(0, 4, green).width(), 0);
}

TEST(Bitmap32, RowAndPixelAccessOutsideTheBitmapRaises)
{
    Bitmap32 bitmap(5, 2);
    EXPECT_THROW(bitmap.row(2), RangeError);
    EXPECT_THROW(bitmap.row(-1), RangeError);
    EXPECT_THROW(bitmap.pixel(5, 0), RangeError);
    EXPECT_THROW(bitmap.pixel(-1, 0), RangeError);
    EXPECT_THROW(Bitmap32(-1, 3), RangeError);
    EXPECT_THROW(Bitmap32().row(0), RangeError);
}

TEST(Bitmap32, SetSizeGivesAFreshBitmap)
{
    Bitmap32 bitmap(2, 2);
    bitmap.fill(makePixel(9, 9, 9));
    bitmap.setSize(4, 1);
    EXPECT_EQ(bitmap.width(), 4);
    EXPECT_EQ(bitmap.height(), 1);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(bitmap.pixel(x, 0), 0u);
    EXPECT_THROW(bitmap.row(1), RangeError);
}

} // namespace
} // namespace orbiclock
