#include "wallpaper/platform/AtomicFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

namespace orbiclock {
namespace {

ino_t inodeOf(const std::filesystem::path& p)
{
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? st.st_ino : 0;
}

std::string slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The desktop state and the autostart entry are written on every update; unchanged contents must not
// cost a new file, a sync and a rename each time, nor change the file under a reader.
TEST(AtomicFile, UnchangedContentsLeaveTheFileAndNewContentsReplaceIt)
{
    const auto dir = std::filesystem::temp_directory_path() / "orbiclock-atomic-file";
    std::filesystem::remove_all(dir);
    const auto file = dir / "sub" / "state.ini";

    ASSERT_EQ(replaceFileContents(file, "a=1\n"), 0) << "missing folders are created";
    EXPECT_EQ(slurp(file), "a=1\n");
    const ino_t first = inodeOf(file);
    EXPECT_EQ(replaceFileContents(file, "a=1\n"), 0);
    EXPECT_EQ(inodeOf(file), first);
    EXPECT_EQ(replaceFileContents(file, "a=1\nb=2\n"), 0);
    EXPECT_NE(inodeOf(file), first);
    EXPECT_EQ(slurp(file), "a=1\nb=2\n");
    EXPECT_EQ(replaceFileContents(file, ""), 0);
    EXPECT_EQ(slurp(file), "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "sub"), {}), 1) << "no temporary left";

    // A folder in the file's place is reported, not taken for equal contents.
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    EXPECT_NE(replaceFileContents(file, ""), 0);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace orbiclock
