#include "wallpaper/SunTableFile.h"

#include "ScopedNumericLocale.h"
#include "astro/Clock.h"
#include "astro/DateTime.h"
#include "astro/Location.h"
#include "astro/MapProjection.h"
#include "astro/OrbiclockError.h"
#include "wallpaper/SunTableFormat.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace orbiclock {
namespace {

namespace fs = std::filesystem;

const char* const kCommaLocaleMissing = "de_DE.UTF-8 is not installed: run scripts/install-deps";

/// A fresh folder for one test, removed with everything in it afterwards.
class SunTableFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                ("orbiclock-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path path(const std::string& name) const { return m_dir / name; }

    static std::string readBytes(const fs::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static void writeBytes(const fs::path& file, const std::string& bytes)
    {
        std::ofstream out(file, std::ios::binary);
        out << bytes;
    }

    /// The table written for noon of the given day.
    std::string tableFor(int year, int month, int day, const char* name = "riseset.txt")
    {
        const FixedClock clock(encodeDate(year, month, day) + 0.5);
        TLocation gmt("GMT", 0, 0, 0, 0);
        WriteSunTable(path(name), clock, gmt);
        return readBytes(path(name));
    }

    /// The table's lines without their CR LF; fails the test when a line end is not CR LF.
    static std::vector<std::string> crlfLines(const std::string& bytes)
    {
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < bytes.size()) {
            const std::size_t end = bytes.find("\r\n", start);
            if (end == std::string::npos) {
                ADD_FAILURE() << "the last line has no CR LF";
                break;
            }
            lines.push_back(bytes.substr(start, end - start));
            start = end + 2;
        }
        for (const std::string& line : lines)
            EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray line end in: " << line;
        return lines;
    }

    std::vector<std::string> filesInFolder() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir))
            names.push_back(entry.path().filename().string());
        return names;
    }

    fs::path m_dir;
};

/// The four values of a written line at full precision, parsed in the current locale.
SunTableLine fullValues(const std::string& line)
{
    double v[4];
    for (int k = 0; k < 4; ++k) {
        const std::string field = line.substr(4 + 11 * static_cast<std::size_t>(k), 11);
        char* end = nullptr;
        v[k] = std::strtod(field.c_str(), &end);
        EXPECT_EQ(*end, '\0') << "field '" << field << "' of " << line;
    }
    return {v[0], v[1], v[2], v[3]};
}

bool isCode(double v)
{
    return v == 4 || v == 5 || v == -4 || v == -5;
}

bool isTime(double v)
{
    return v > 0 && v < 1;
}

/// The line of the table for the row of a latitude (the table starts at row 133).
const std::string& lineAt(const std::vector<std::string>& lines, double latitudeDeg)
{
    return lines.at(static_cast<std::size_t>(LatitudeToMapY(latitudeDeg) - 133));
}

// ---- Reading --------------------------------------------------------------------------------------

TEST_F(SunTableFileTest, ReadsTheFixture)
{
    const ScopedNumericLocale c("C");
    const SunTableContents table = ReadSunTable(fs::path(ORBICLOCK_TEST_DATA) / "SunTable_three_rows.txt");
    EXPECT_EQ(table.firstY, 500);
    EXPECT_EQ(table.lastY, 502);
    ASSERT_EQ(table.lines.size(), 3u);
    EXPECT_EQ(table.lines[0].dawn, 0.235);
    EXPECT_EQ(table.lines[0].dusk, 0.769);
    EXPECT_EQ(table.lines[1].dawn, -5.0);
    EXPECT_EQ(table.lines[1].sunrise, 0.103);
    EXPECT_EQ(table.lines[1].sunset, 0.9);
    EXPECT_EQ(table.lines[1].dusk, 5.0);
    EXPECT_EQ(table.lines[2].sunset, -4.0);
}

TEST_F(SunTableFileTest, AcceptsBareLineFeedsAndAMissingLastLineEnd)
{
    const ScopedNumericLocale c("C");
    writeBytes(path("lf.txt"), "0500  0.2352490  0.2508531  0.7537345  0.7693337\n"
                               "0501 -5.0000000  0.1034931  0.9004582  5.0000000");
    const SunTableContents table = ReadSunTable(path("lf.txt"));
    EXPECT_EQ(table.firstY, 500);
    EXPECT_EQ(table.lastY, 501);
    ASSERT_EQ(table.lines.size(), 2u);
    EXPECT_EQ(table.lines[1].dusk, 5.0);
}

TEST_F(SunTableFileTest, ALastRowAboveTheFirstGivesNoLines)
{
    const ScopedNumericLocale c("C");
    writeBytes(path("down.txt"), "0502  5.0000000  4.0000000 -4.0000000 -5.0000000\r\n"
                                 "0500  5.0000000  4.0000000 -4.0000000 -5.0000000\r\n");
    const SunTableContents table = ReadSunTable(path("down.txt"));
    EXPECT_EQ(table.firstY, 502);
    EXPECT_EQ(table.lastY, 500);
    EXPECT_TRUE(table.lines.empty());
}

TEST_F(SunTableFileTest, BrokenTablesRaise)
{
    const ScopedNumericLocale c("C");
    struct Case {
        const char* name;
        const char* bytes;
        const char* message;
    };
    const Case cases[] = {
        {"empty", "", "List index out of bounds (0)"},
        {"only line ends", "\r\n\r\n", "'' is not a valid integer value"},
        {"rows outnumber lines", "0500  5.0000000  4.0000000 -4.0000000 -5.0000000\r\n"
                                 "0509  5.0000000  4.0000000 -4.0000000 -5.0000000\r\n",
         "List index out of bounds (2)"},
        {"bad row", "05x0  5.0000000  4.0000000 -4.0000000 -5.0000000\r\n", "'05x0' is not a valid integer value"},
        {"bad value", "0500  5.0000000  4.0000000 -4.0000000 -5.0000000\r\n"
                      "0501  5.0000000  4.0000000 -4.0000000 -?.0000000\r\n",
         "'-?.000' is not a valid floating point value"},
        {"short line", "0500  5.0000000\r\n", "'' is not a valid floating point value"},
    };
    for (const Case& row : cases) {
        writeBytes(path("broken.txt"), row.bytes);
        try {
            ReadSunTable(path("broken.txt"));
            ADD_FAILURE() << row.name << ": no error";
        } catch (const OrbiclockError& e) {
            EXPECT_STREQ(e.what(), row.message) << row.name;
        }
    }
}

TEST_F(SunTableFileTest, AMissingFileRaisesTheFileError)
{
    const fs::path missing = path("missing.txt");
    try {
        ReadSunTable(missing);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + missing.string() + "\". " + std::strerror(ENOENT));
    }
}

// ---- Writing: 1 January 2000 ---------------------------------------------------------------------

TEST_F(SunTableFileTest, FirstOfJanuary2000HasOneLineOf48CharactersPerRow)
{
    const ScopedNumericLocale c("C");
    const std::string bytes = tableFor(2000, 1, 1);
    EXPECT_EQ(bytes.size(), 1049u * 50u);
    const std::vector<std::string> lines = crlfLines(bytes);
    ASSERT_EQ(lines.size(), 1049u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].size(), kSunTableLineLength) << lines[i];
        EXPECT_EQ(parseSunTableRow(lines[i]), static_cast<std::int32_t>(133 + i)) << lines[i];
    }
    EXPECT_EQ(lines.front(), "0133  5.0000000  4.0000000 -4.0000000 -5.0000000");
    EXPECT_EQ(lines.back(), "1181 -5.0000000 -4.0000000  4.0000000  5.0000000");
}

TEST_F(SunTableFileTest, FirstOfJanuary2000NearTheEquator)
{
    const ScopedNumericLocale c("C");
    const std::vector<std::string> lines = crlfLines(tableFor(2000, 1, 1));
    ASSERT_EQ(lines.size(), 1049u);
    const std::string& line = lines[734 - 133];
    ASSERT_EQ(line.substr(0, 4), "0734");
    // Values of the reference computation at latitude 0.98, to within one unit of the last digit.
    const SunTableLine v = fullValues(line);
    EXPECT_NEAR(v.dawn, 0.2352490, 1.01e-7) << line;
    EXPECT_NEAR(v.sunrise, 0.2508531, 1.01e-7) << line;
    EXPECT_NEAR(v.sunset, 0.7537345, 1.01e-7) << line;
    EXPECT_NEAR(v.dusk, 0.7693337, 1.01e-7) << line;
}

TEST_F(SunTableFileTest, FirstOfJanuary2000PolarRows)
{
    const ScopedNumericLocale c("C");
    const std::vector<std::string> lines = crlfLines(tableFor(2000, 1, 1));
    ASSERT_EQ(lines.size(), 1049u);

    // North: polar night; at 70°N twilight still comes, the sun does not.
    const SunTableLine north80 = fullValues(lineAt(lines, 80));
    EXPECT_EQ(north80.dawn, 5);
    EXPECT_EQ(north80.sunrise, 4);
    EXPECT_EQ(north80.sunset, -4);
    EXPECT_EQ(north80.dusk, -5);
    const SunTableLine north70 = fullValues(lineAt(lines, 70));
    EXPECT_TRUE(isTime(north70.dawn) && north70.dawn < 0.5) << lineAt(lines, 70);
    EXPECT_EQ(north70.sunrise, 4);
    EXPECT_EQ(north70.sunset, -4);
    EXPECT_TRUE(isTime(north70.dusk) && north70.dusk > 0.5) << lineAt(lines, 70);

    // South of about 61°S: twilight all night, sunrise and sunset still times.
    const SunTableLine south63 = fullValues(lineAt(lines, -63));
    EXPECT_EQ(south63.dawn, -5) << lineAt(lines, -63);
    EXPECT_TRUE(isTime(south63.sunrise)) << lineAt(lines, -63);
    EXPECT_TRUE(isTime(south63.sunset)) << lineAt(lines, -63);
    EXPECT_EQ(south63.dusk, 5) << lineAt(lines, -63);

    // South of about 66.2°S all four are the midnight-sun codes, down to the last row.
    for (std::size_t i = static_cast<std::size_t>(LatitudeToMapY(-66.5) - 133); i < lines.size(); ++i) {
        const SunTableLine v = fullValues(lines[i]);
        EXPECT_TRUE(v.dawn == -5 && v.sunrise == -4 && v.sunset == 4 && v.dusk == 5) << lines[i];
    }

    // Between 55°S and 55°N every event has a time: no codes, no zeros.
    for (std::size_t i = static_cast<std::size_t>(LatitudeToMapY(55) - 133);
         i <= static_cast<std::size_t>(LatitudeToMapY(-55) - 133); ++i) {
        const SunTableLine v = fullValues(lines[i]);
        EXPECT_TRUE(isTime(v.dawn) && isTime(v.sunrise) && isTime(v.sunset) && isTime(v.dusk)) << lines[i];
    }
}

TEST_F(SunTableFileTest, JulyCarriesTheOppositeCodes)
{
    const ScopedNumericLocale c("C");
    const std::vector<std::string> january = crlfLines(tableFor(2000, 1, 1, "january.txt"));
    const std::vector<std::string> july = crlfLines(tableFor(2000, 7, 1, "july.txt"));
    ASSERT_EQ(july.size(), 1049u);
    ASSERT_EQ(january.size(), 1049u);
    EXPECT_EQ(july.front(), "0133 -5.0000000 -4.0000000  4.0000000  5.0000000");
    EXPECT_EQ(july.back(), "1181  5.0000000  4.0000000 -4.0000000 -5.0000000");
    for (double latitude : {85.0, 80.0, 75.0}) {
        const SunTableLine v = fullValues(lineAt(july, latitude));
        EXPECT_TRUE(v.dawn == -5 && v.sunrise == -4 && v.sunset == 4 && v.dusk == 5) << lineAt(july, latitude);
    }
    for (double latitude : {-75.0, -78.0, -80.0}) {
        const SunTableLine v = fullValues(lineAt(july, latitude));
        EXPECT_TRUE(v.dawn == 5 && v.sunrise == 4 && v.sunset == -4 && v.dusk == -5) << lineAt(july, latitude);
    }
    // The rows that are all codes in both months swap every sign.
    for (std::size_t i = 0; i < july.size(); ++i) {
        const SunTableLine j = fullValues(january[i]);
        const SunTableLine s = fullValues(july[i]);
        if (isCode(j.dawn) && isCode(j.sunrise) && isCode(j.sunset) && isCode(j.dusk) && isCode(s.dawn) &&
            isCode(s.sunrise) && isCode(s.sunset) && isCode(s.dusk)) {
            EXPECT_TRUE(s.dawn == -j.dawn && s.sunrise == -j.sunrise && s.sunset == -j.sunset && s.dusk == -j.dusk)
                << january[i] << " / " << july[i];
        }
    }
}

TEST_F(SunTableFileTest, OnlyTheDayOfTheClockCountsNotItsTimeOrTheLocationsOldFields)
{
    const ScopedNumericLocale c("C");
    const std::string atNoon = tableFor(2024, 6, 21, "noon.txt");

    const FixedClock midnight(encodeDate(2024, 6, 21));
    TLocation moved("GMT", 12.0, 30.0, 0.0, 3.0); // longitude and zone of an earlier computation
    WriteSunTable(path("midnight.txt"), midnight, moved);
    EXPECT_EQ(readBytes(path("midnight.txt")), atNoon);
    EXPECT_EQ(moved.Longitude, 0.0);
    EXPECT_EQ(moved.Zone, 0.0);

    const FixedClock lastMinute(encodeDate(2024, 6, 21) + encodeTime(23, 59, 59, 999));
    TLocation gmt("GMT", 0, 0, 0, 0);
    WriteSunTable(path("late.txt"), lastMinute, gmt);
    EXPECT_EQ(readBytes(path("late.txt")), atNoon);

    EXPECT_NE(tableFor(2024, 6, 22, "nextday.txt"), atNoon);
}

// ---- Writing and reading back -------------------------------------------------------------------

void expectReadBackMatches(const std::vector<std::string>& lines, const SunTableContents& table)
{
    ASSERT_EQ(table.firstY, 133);
    ASSERT_EQ(table.lastY, 1181);
    ASSERT_EQ(table.lines.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const SunTableLine written = fullValues(lines[i]);
        const SunTableLine& read = table.lines[i];
        // The reader sees three decimals, cut off.
        const double pairs[4][2] = {{written.dawn, read.dawn},
                                    {written.sunrise, read.sunrise},
                                    {written.sunset, read.sunset},
                                    {written.dusk, read.dusk}};
        for (const auto& pair : pairs)
            EXPECT_TRUE(std::fabs(pair[0] - pair[1]) < 0.001 && std::fabs(pair[1]) <= std::fabs(pair[0]) + 1e-12)
                << "written " << pair[0] << ", read " << pair[1] << " in " << lines[i];
    }
}

TEST_F(SunTableFileTest, ReadsBackWhatItWrote)
{
    const ScopedNumericLocale c("C");
    const std::vector<std::string> lines = crlfLines(tableFor(2000, 1, 1));
    expectReadBackMatches(lines, ReadSunTable(path("riseset.txt")));
}

TEST_F(SunTableFileTest, UnderADecimalCommaLocaleWritesAndReadsCommas)
{
    const ScopedNumericLocale german(kCommaLocale);
    ASSERT_TRUE(german.ok()) << kCommaLocaleMissing;
    const std::string bytes = tableFor(2000, 1, 1);
    EXPECT_EQ(bytes.find('.'), std::string::npos);
    EXPECT_EQ(bytes.size(), 1049u * 50u);
    const std::vector<std::string> lines = crlfLines(bytes);
    ASSERT_EQ(lines.size(), 1049u);
    EXPECT_EQ(lines.front(), "0133  5,0000000  4,0000000 -4,0000000 -5,0000000");
    EXPECT_EQ(lines.back(), "1181 -5,0000000 -4,0000000  4,0000000  5,0000000");
    const SunTableLine v = fullValues(lines[734 - 133]);
    EXPECT_NEAR(v.dawn, 0.2352490, 1.01e-7) << lines[734 - 133];
    EXPECT_NEAR(v.dusk, 0.7693337, 1.01e-7) << lines[734 - 133];
    expectReadBackMatches(lines, ReadSunTable(path("riseset.txt")));
}

// ---- Writing: the file itself ---------------------------------------------------------------------

TEST_F(SunTableFileTest, ReplacesAnOldFileCompletelyAndLeavesNoTemporaryFile)
{
    const ScopedNumericLocale c("C");
    writeBytes(path("riseset.txt"), std::string(200000, 'x'));
    const std::string bytes = tableFor(2000, 1, 1);
    EXPECT_EQ(bytes.size(), 1049u * 50u);
    EXPECT_EQ(bytes.find('x'), std::string::npos);
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"riseset.txt"});
}

TEST_F(SunTableFileTest, AFolderThatDoesNotExistRaisesCannotCreate)
{
    const fs::path file = path("no-such-folder") / "riseset.txt";
    const FixedClock clock(encodeDate(2000, 1, 1));
    TLocation gmt("GMT", 0, 0, 0, 0);
    try {
        WriteSunTable(file, clock, gmt);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + file.string() + "\". " + std::strerror(ENOENT));
    }
}

TEST_F(SunTableFileTest, AFolderInTheWayRaisesCannotCreateAndLeavesNoTemporaryFile)
{
    fs::create_directory(path("riseset.txt"));
    writeBytes(path("riseset.txt") / "keep", "kept");
    const FixedClock clock(encodeDate(2000, 1, 1));
    TLocation gmt("GMT", 0, 0, 0, 0);
    try {
        WriteSunTable(path("riseset.txt"), clock, gmt);
        FAIL() << "no error";
    } catch (const FileError& e) {
        const std::string prefix = "Cannot create file \"" + path("riseset.txt").string() + "\". ";
        EXPECT_EQ(std::string(e.what()).substr(0, prefix.size()), prefix) << e.what();
    }
    EXPECT_EQ(filesInFolder(), std::vector<std::string>{"riseset.txt"});
    EXPECT_EQ(readBytes(path("riseset.txt") / "keep"), "kept");
}

TEST_F(SunTableFileTest, TwoDaysAreByteForByteTheReferenceTables)
{
    // Reference tables written before the sun computations were made faster; every change that is
    // meant to keep the results must keep these files.
    struct Day {
        int year, month, day;
        const char* fixture;
    };
    for (const Day d : {Day{2000, 1, 1, "SunTable_2000-01-01.txt"}, Day{2024, 6, 21, "SunTable_2024-06-21.txt"}}) {
        const std::string reference = readBytes(fs::path(ORBICLOCK_TEST_DATA) / d.fixture);
        ASSERT_EQ(reference.size(), 1049u * 50u) << d.fixture;
        const std::string written = tableFor(d.year, d.month, d.day);
        std::size_t at = 0;
        while (at < written.size() && at < reference.size() && written[at] == reference[at])
            ++at;
        EXPECT_TRUE(at == written.size() && written.size() == reference.size())
            << d.fixture << ": first difference in line " << at / 50 + 1 << ": written \""
            << written.substr(at / 50 * 50, 48) << "\", reference \"" << reference.substr(at / 50 * 50, 48) << "\"";
    }
}

} // namespace
} // namespace orbiclock
