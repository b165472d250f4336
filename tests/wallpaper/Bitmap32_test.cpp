#include "wallpaper/Bitmap32.h"

#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

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

TEST(Bitmap32, CopiesHaveTheirOwnPixelsAtEverySize)
{
    // 1390 × 1200 is an overlay's size: its storage takes the huge-page path, 3 × 2 the small one.
    for (const auto& [width, height] : {std::pair{3, 2}, std::pair{1390, 1200}}) {
        Bitmap32 original(width, height, makePixel(1, 2, 3));
        original.row(height - 1)[width - 1] = makePixel(4, 5, 6);
        Bitmap32 copy(original);
        Bitmap32 assigned;
        assigned = original;
        original.fill(makePixel(7, 8, 9));
        for (const Bitmap32* b : {&copy, &assigned}) {
            EXPECT_EQ(b->width(), width);
            EXPECT_EQ(b->pixel(0, 0), makePixel(1, 2, 3)) << width;
            EXPECT_EQ(b->pixel(width - 1, height - 1), makePixel(4, 5, 6)) << width;
        }
        const Bitmap32 moved(std::move(copy));
        EXPECT_EQ(moved.pixel(width - 1, height - 1), makePixel(4, 5, 6)) << width;
        EXPECT_EQ(original.pixel(width - 1, height - 1), makePixel(7, 8, 9)) << width;
    }
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
