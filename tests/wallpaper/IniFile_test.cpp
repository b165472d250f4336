#include "wallpaper/IniFile.h"

#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace orbiclock {
namespace {

std::string slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("orbiclock-ini-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    void write(const std::string& text) { std::ofstream(m_dir / "x.ini", std::ios::binary) << text; }
    std::filesystem::path m_dir;
};

TEST(ParseIniInteger, AcceptsDecimalSignedAndTwoHexForms)
{
    struct Case {
        const char* text;
        std::optional<std::int32_t> expected;
    };
    const Case cases[] = {
        {"30", 30},          {"-7", -7},           {"+12", 12},          {"0x14", 20},        {"0X1f", 31},
        {"$14", 20},         {"-$10", -16},        {" 42 ", 42},         {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},                {"$FFFFFFFF", -1},   {"2147483648", std::nullopt},
        {"", std::nullopt},  {"abc", std::nullopt}, {"12abc", std::nullopt}, {"0x", std::nullopt},
        {"$", std::nullopt}, {"1.5", std::nullopt}, {"--3", std::nullopt}, {"99999999999", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseIniInteger(c.text), c.expected) << '"' << c.text << '"';
}

TEST_F(IniFileTest, ReadsTheKeyOfItsSectionOnly)
{
    write("[Other]\r\nMaxNumLocs=99\r\n\r\n[settings]\r\n  maxnumlocs = 0x14 \r\nX=1\r\n");
    IniFile ini(m_dir / "x.ini");
    EXPECT_EQ(ini.readInteger("Settings", "MaxNumLocs", 0), 20);
    EXPECT_EQ(ini.readInteger("Settings", "Missing", -1), -1);
    EXPECT_EQ(ini.readInteger("Nowhere", "MaxNumLocs", -1), -1);
    EXPECT_EQ(IniFile(m_dir / "none.ini").readInteger("Settings", "MaxNumLocs", 7), 7);
    write("[Settings]\nMaxNumLocs=thirty\n");
    EXPECT_EQ(ini.readInteger("Settings", "MaxNumLocs", 0), 0);
}

TEST_F(IniFileTest, WritingKeepsOtherLinesAndCreatesWhatIsMissing)
{
    IniFile ini(m_dir / "x.ini");
    ini.writeInteger("Settings", "MaxNumLocs", 30);
    EXPECT_EQ(slurp(m_dir / "x.ini"), "[Settings]\r\nMaxNumLocs=30\r\n");

    write("; comment\r\n[Settings]\r\nOther=a\r\nMaxNumLocs=30\r\n\r\n[More]\r\nK=v\r\n");
    ini.writeInteger("Settings", "MaxNumLocs", 12);
    EXPECT_EQ(slurp(m_dir / "x.ini"), "; comment\r\n[Settings]\r\nOther=a\r\nMaxNumLocs=12\r\n\r\n[More]\r\nK=v\r\n");

    write("[Settings]\r\nOther=a\r\n\r\n[More]\r\nK=v\r\n");
    ini.writeInteger("Settings", "MaxNumLocs", 5);
    EXPECT_EQ(slurp(m_dir / "x.ini"), "[Settings]\r\nOther=a\r\nMaxNumLocs=5\r\n\r\n[More]\r\nK=v\r\n");

    write("[More]\r\nK=v");
    ini.writeInteger("Settings", "MaxNumLocs", -3);
    EXPECT_EQ(slurp(m_dir / "x.ini"), "[More]\r\nK=v\r\n\r\n[Settings]\r\nMaxNumLocs=-3\r\n");
    EXPECT_EQ(ini.readInteger("Settings", "MaxNumLocs", 0), -3);
}

ino_t inodeOf(const std::filesystem::path& p)
{
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Every close writes the setting; an unchanged one must not replace the file each time.
TEST_F(IniFileTest, TheSameEntryAgainLeavesTheFileAsItIs)
{
    write("[Settings]\nMaxNumLocs=30\n");
    const ino_t before = inodeOf(m_dir / "x.ini");
    IniFile ini(m_dir / "x.ini");
    ini.writeInteger("Settings", "MaxNumLocs", 30);
    EXPECT_EQ(inodeOf(m_dir / "x.ini"), before);
    EXPECT_EQ(slurp(m_dir / "x.ini"), "[Settings]\nMaxNumLocs=30\n");

    ini.writeInteger("Settings", "MaxNumLocs", 31);
    EXPECT_NE(inodeOf(m_dir / "x.ini"), before) << "a new value is written through a new file";
    EXPECT_EQ(slurp(m_dir / "x.ini"), "[Settings]\r\nMaxNumLocs=31\r\n");
    // An entry spelt differently ("maxnumlocs = 31") is rewritten in the program's own spelling.
    write("[settings]\r\nmaxnumlocs = 31\r\n");
    ini.writeInteger("Settings", "MaxNumLocs", 31);
    EXPECT_EQ(slurp(m_dir / "x.ini"), "[settings]\r\nMaxNumLocs=31\r\n");
}

TEST_F(IniFileTest, UnwritableFileRaisesUnableToWrite)
{
    std::filesystem::create_directory(m_dir / "x.ini"); // a folder in the file's place, unwritable even as root
    IniFile ini(m_dir / "x.ini");
    try {
        ini.writeInteger("Settings", "MaxNumLocs", 30);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + (m_dir / "x.ini").string());
    }
    IniFile missingFolder(m_dir / "no" / "such" / "x.ini");
    EXPECT_THROW(missingFolder.writeInteger("Settings", "MaxNumLocs", 1), FileError);
}

} // namespace
} // namespace orbiclock
