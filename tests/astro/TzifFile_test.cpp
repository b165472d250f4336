// Reading TZif files: the closing rule of the installed tzdata files, the last local time type of
// files without one, and rejection of damaged files without reading past their end.

#include "astro/TzifFile.h"

#include "TestTzif.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace orbiclock {
namespace {

using testing::makeTzif;
using testing::TzifType;

const std::filesystem::path kZoneInfo = "/usr/share/zoneinfo";

std::string fileBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The footers tzdata 2025b closes these zones with (tail -1 of each file).
TEST(TzifFile, InstalledZonesCloseWithTheirPosixRule)
{
    struct Case {
        const char* zone;
        const char* footer;
    };
    const Case cases[] = {
        {"Europe/Berlin", "CET-1CEST,M3.5.0,M10.5.0/3"},
        {"America/New_York", "EST5EDT,M3.2.0,M11.1.0"},
        {"Australia/Sydney", "AEST-10AEDT,M10.1.0,M4.1.0/3"},
        {"Asia/Kathmandu", "<+0545>-5:45"},
        {"Europe/Dublin", "IST-1GMT0,M10.5.0,M3.5.0/1"},
        {"Etc/UTC", "UTC0"},
    };
    for (const auto& c : cases) {
        const TzifSummary s = readTzifFile(kZoneInfo / c.zone);
        EXPECT_GE(s.version, 2) << c.zone;
        EXPECT_EQ(s.footer, c.footer) << c.zone;
    }
}

TEST(TzifFile, TakesTheTypeAfterTheLastTransition)
{
    const std::vector<TzifType> types = {{3600, false, "AAA"}, {7200, true, "BBB"}, {-1800, false, "CCCC"}};
    struct Case {
        const char* name;
        char version;
        std::vector<std::pair<std::int64_t, std::uint8_t>> transitions;
        std::string footer;
        TzifSummary expected;
    };
    const Case cases[] = {
        {"version1", 0, {{0, 0}, {100, 1}}, "", {1, "", 7200, true, "BBB"}},
        {"version1NoTransitionsIsTypeZero", 0, {}, "", {1, "", 3600, false, "AAA"}},
        {"version2WithFooter", '2', {{-5000000000LL, 2}, {100, 0}}, "AAA-1", {2, "AAA-1", 3600, false, "AAA"}},
        {"version3EmptyFooter", '3', {{0, 1}, {100, 2}}, "", {3, "", -1800, false, "CCCC"}},
    };
    for (const auto& c : cases) {
        const TzifSummary s = parseTzif(makeTzif(c.version, c.transitions, types, c.footer), c.name);
        EXPECT_EQ(s, c.expected) << c.name << ": version " << s.version << ", footer \"" << s.footer << "\", offset "
                                 << s.lastUtOffsetSeconds << ", dst " << s.lastIsDst << ", \"" << s.lastDesignation
                                 << "\"";
    }
}

TEST(TzifFile, EveryCutOfARealFileIsReportedAsCutShort)
{
    const std::string bytes = fileBytes(kZoneInfo / "Europe/Berlin");
    ASSERT_GT(bytes.size(), 44u);
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        try {
            parseTzif(std::string_view(bytes).substr(0, length), "Berlin");
            ADD_FAILURE() << "a cut after " << length << " of " << bytes.size() << " bytes was accepted";
        } catch (const TzifFormatError& e) {
            EXPECT_NE(std::string(e.what()).find("Berlin: "), std::string::npos) << e.what();
        }
    }
}

TEST(TzifFile, RejectsDamagedHeadersAndIndices)
{
    const std::vector<TzifType> one = {{3600, false, "AAA"}};
    std::string badMagic = makeTzif('2', {}, one, "AAA-1");
    badMagic[0] = 'X';
    std::string badVersion = makeTzif('2', {}, one, "AAA-1");
    badVersion[4] = 'x';
    const std::string badTypeIndex = makeTzif(0, {{0, 1}}, one, "");
    std::string badDesignation = makeTzif(0, {}, one, "");
    badDesignation[44 + 5] = 9; // the designation index of type 0
    std::string noTypes = makeTzif(0, {}, one, "");
    noTypes[36 + 3] = 0;
    std::string hugeCount = makeTzif(0, {}, one, "");
    for (int i = 32; i < 36; ++i)
        hugeCount[static_cast<std::size_t>(i)] = '\xff';
    std::string noFooterLine = makeTzif('2', {}, one, "AAA-1");
    noFooterLine.pop_back();

    struct Case {
        const char* name;
        std::string bytes;
        const char* message;
    };
    const Case cases[] = {
        {"badMagic", badMagic, "not a time zone information file"},
        {"text", "CET-1CEST,M3.5.0,M10.5.0/3\n", "not a time zone information file"},
        {"badVersion", badVersion, "unknown version"},
        {"typeIndexBeyondTypes", badTypeIndex, "local time type it lacks"},
        {"designationBeyondChars", badDesignation, "designation it lacks"},
        {"noTypes", noTypes, "without local time types"},
        {"hugeTransitionCount", hugeCount, "cut short"},
        {"footerWithoutNewline", noFooterLine, "cut short"},
    };
    for (const auto& c : cases) {
        try {
            parseTzif(c.bytes, c.name);
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const TzifFormatError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.name << ": " << e.what();
        }
    }
}

TEST(TzifFile, ReadsOnlyRegularFilesOfReasonableSize)
{
    const auto dir = std::filesystem::temp_directory_path() / "orbiclock-tzif-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    EXPECT_THROW(readTzifFile(dir / "missing"), FileError);
    EXPECT_THROW(readTzifFile(dir), FileError);
    {
        std::ofstream big(dir / "big", std::ios::binary);
        big << makeTzif(0, {}, {{0, false, "UTC"}}, "") << std::string(kMaxTzifFileSize, '\0');
    }
    try {
        readTzifFile(dir / "big");
        ADD_FAILURE() << "a file beyond " << kMaxTzifFileSize << " bytes was read";
    } catch (const TzifFormatError& e) {
        EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
    }
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace orbiclock
