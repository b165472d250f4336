#include "wallpaper/TransparentGif.h"

#include "DecodedGif.h"
#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace orbiclock {
namespace {

using testing::decodeGif;
using testing::DecodedGif;

constexpr Pixel32 kGreen = makePixel(0, 255, 0);
constexpr Pixel32 kRed = makePixel(200, 10, 20, 255);
constexpr Pixel32 kBlue = makePixel(5, 6, 250, 0);

/// A fresh, empty folder for one test, removed afterwards.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orbiclock-gif-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

std::vector<std::filesystem::path> folderEntries(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> entries;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        entries.push_back(entry.path().filename());
    return entries;
}

DecodedGif saveAndDecode(const Bitmap32& bitmap, const TempFolder& folder)
{
    const auto file = folder.path() / "image.gif";
    SaveTransparentGif(bitmap, file);
    return decodeGif(file);
}

/// Every decoded pixel has the bitmap's colour (fourth byte ignored).
void expectSamePicture(const Bitmap32& bitmap, const DecodedGif& gif)
{
    ASSERT_EQ(gif.width, bitmap.width());
    ASSERT_EQ(gif.height, bitmap.height());
    int mismatches = 0;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (gif.rgb(x, y) != rgbOf(bitmap.pixel(x, y)) && ++mismatches <= 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << "): expected " << std::hex << rgbOf(bitmap.pixel(x, y))
                              << ", decoded " << gif.rgb(x, y);
    EXPECT_EQ(mismatches, 0);
}

TEST(TransparentGif, GreenBecomesTheTransparentIndexAndThePictureSurvives)
{
    // Red first, then green, then blue in row order: the colour map follows first occurrence.
    Bitmap32 bitmap(7, 5);
    bitmap.fill(kGreen);
    bitmap.row(0)[0] = kRed;
    bitmap.row(3)[6] = kBlue;
    bitmap.row(4)[2] = kRed;
    TempFolder folder;
    const DecodedGif gif = saveAndDecode(bitmap, folder);

    EXPECT_EQ(gif.version, "GIF89a");
    EXPECT_EQ(gif.imageCount, 1);
    EXPECT_TRUE(gif.frameCoversScreen);
    ASSERT_EQ(gif.colourMap.size(), 4u) << "three colours need a map of four entries";
    EXPECT_EQ(gif.colourMap[0], 0xC80A14u);
    EXPECT_EQ(gif.colourMap[1], 0x00FF00u);
    EXPECT_EQ(gif.colourMap[2], 0x0506FAu);
    ASSERT_TRUE(gif.transparentIndex.has_value());
    EXPECT_EQ(*gif.transparentIndex, 1);
    expectSamePicture(bitmap, gif);
}

TEST(TransparentGif, NoGreenMeansNoTransparency)
{
    Bitmap32 bitmap(3, 2);
    bitmap.fill(kRed);
    bitmap.row(1)[1] = kBlue;
    // Almost green is not green.
    bitmap.row(1)[2] = makePixel(0, 254, 0);
    TempFolder folder;
    const DecodedGif gif = saveAndDecode(bitmap, folder);
    EXPECT_FALSE(gif.transparentIndex.has_value());
    EXPECT_EQ(gif.colourMap.size(), 4u);
    expectSamePicture(bitmap, gif);
}

TEST(TransparentGif, AllGreenIsOneTransparentColourInAMapOfTwo)
{
    Bitmap32 bitmap(4, 4);
    bitmap.fill(kGreen);
    TempFolder folder;
    const DecodedGif gif = saveAndDecode(bitmap, folder);
    ASSERT_EQ(gif.colourMap.size(), 2u);
    EXPECT_EQ(gif.colourMap[0], 0x00FF00u);
    ASSERT_TRUE(gif.transparentIndex.has_value());
    EXPECT_EQ(*gif.transparentIndex, 0);
    expectSamePicture(bitmap, gif);
}

TEST(TransparentGif, TheFourthByteDoesNotMakeANewColour)
{
    Bitmap32 bitmap(2, 1);
    bitmap.row(0)[0] = makePixel(0, 255, 0, 0);
    bitmap.row(0)[1] = makePixel(0, 255, 0, 255);
    TempFolder folder;
    const DecodedGif gif = saveAndDecode(bitmap, folder);
    EXPECT_EQ(gif.colourMap.size(), 2u);
    EXPECT_EQ(gif.index(0, 0), gif.index(1, 0));
}

TEST(TransparentGif, TwoHundredFiftySixColoursFitAndOneMoreDoesNot)
{
    Bitmap32 bitmap(256, 2);
    for (int x = 0; x < 256; ++x)
        bitmap.row(0)[x] = makePixel(static_cast<std::uint8_t>(x), 0, static_cast<std::uint8_t>(255 - x));
    for (int x = 0; x < 256; ++x)
        bitmap.row(1)[x] = bitmap.row(0)[255 - x];
    TempFolder folder;
    const DecodedGif gif = saveAndDecode(bitmap, folder);
    EXPECT_EQ(gif.colourMap.size(), 256u);
    expectSamePicture(bitmap, gif);

    bitmap.row(1)[0] = makePixel(1, 2, 3);
    EXPECT_THROW(encodeTransparentGif(bitmap), OrbiclockError);
}

TEST(TransparentGif, AnEmptyBitmapIsRefused)
{
    EXPECT_THROW(encodeTransparentGif(Bitmap32(0, 10)), RangeError);
    EXPECT_THROW(encodeTransparentGif(Bitmap32(10, 0)), RangeError);
}

TEST(TransparentGif, SavingReplacesTheFileAndLeavesNoTemporaryFile)
{
    TempFolder folder;
    const auto file = folder.path() / "picture.gif";
    {
        std::ofstream old(file);
        old << "an older picture";
    }
    Bitmap32 bitmap(9, 9);
    bitmap.fill(kBlue);
    SaveTransparentGif(bitmap, file);
    EXPECT_EQ(decodeGif(file).width, 9);
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::filesystem::path>{"picture.gif"});
}

TEST(TransparentGif, AFailedSaveRaisesAndLeavesNothingBehind)
{
    TempFolder folder;
    Bitmap32 bitmap(3, 3);
    bitmap.fill(kGreen);

    const auto missingFolder = folder.path() / "missing" / "picture.gif";
    try {
        SaveTransparentGif(bitmap, missingFolder);
        FAIL() << "saving into a missing folder succeeded";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"" + missingFolder.string() + "\". ", 0), 0u)
            << error.what();
    }

    // The temporary file can be written but cannot replace a folder of the same name: the folder
    // stays and the temporary file is removed.
    const auto blocked = folder.path() / "blocked.gif";
    std::filesystem::create_directory(blocked);
    std::ofstream(blocked / "keep.txt") << "x";
    EXPECT_THROW(SaveTransparentGif(bitmap, blocked), FileError);
    EXPECT_TRUE(std::filesystem::is_directory(blocked));
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::filesystem::path>{"blocked.gif"});
}

TEST(TransparentGif, TheEncodedBytesAreTheSavedFile)
{
    Bitmap32 bitmap(5, 3);
    bitmap.fill(kGreen);
    bitmap.row(1)[2] = kRed;
    TempFolder folder;
    const auto file = folder.path() / "same.gif";
    SaveTransparentGif(bitmap, file);
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> saved{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(saved, encodeTransparentGif(bitmap));
}

} // namespace
} // namespace orbiclock
