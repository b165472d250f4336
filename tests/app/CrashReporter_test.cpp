#include "app/CrashReporter.h"
#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

#include <fstream>

namespace orbiclock {
namespace {

std::string slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t countReports(const std::string& text)
{
    std::size_t n = 0;
    for (auto at = text.find(kReportMarker); at != std::string::npos; at = text.find(kReportMarker, at + 1))
        ++n;
    return n;
}

class CrashReporterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("orbiclock-crash-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::filesystem::path m_dir;
};

TEST_F(CrashReporterTest, ReportNamesModeVersionTypeAndMessage)
{
    CrashReporter reporter(m_dir / "Orbiclock.log", "1.2.3", "-autoupdate");
    reporter.report(std::make_exception_ptr(FileError("Cannot open file \"x\". No such file or directory")));
    const std::string log = slurp(m_dir / "Orbiclock.log");
    EXPECT_EQ(log.rfind(kReportMarker, 0), 0u);
    EXPECT_NE(log.find("Version: 1.2.3"), std::string::npos);
    EXPECT_NE(log.find("Run mode: -autoupdate"), std::string::npos);
    EXPECT_NE(log.find("Exception: orbiclock::FileError"), std::string::npos);
    EXPECT_NE(log.find("Message: Cannot open file \"x\". No such file or directory"), std::string::npos);
}

TEST_F(CrashReporterTest, AppendsAndNeverExceedsTheLimitDroppingOldestFirst)
{
    CrashReporter reporter(m_dir / "Orbiclock.log", "1", "interactive");
    for (int i = 0; i < 400; ++i)
        reporter.report(std::make_exception_ptr(OrbiclockError("failure number " + std::to_string(i))));
    const std::string log = slurp(m_dir / "Orbiclock.log");
    EXPECT_LE(log.size(), CrashReporter::kMaxFileSize);
    EXPECT_GT(countReports(log), 10u);
    EXPECT_EQ(log.rfind(kReportMarker, 0), 0u) << "the file starts with a whole report";
    EXPECT_NE(log.find("failure number 399"), std::string::npos) << "the newest report is kept";
    EXPECT_EQ(log.find("failure number 0\r"), std::string::npos) << "the oldest report is dropped";
}

TEST(AppendBoundedReport, DropsWholeReportsOrForeignTextFirst)
{
    const std::string a = std::string(kReportMarker) + "\r\nA\r\n";
    const std::string b = std::string(kReportMarker) + "\r\nB\r\n";
    const std::string c = std::string(kReportMarker) + "\r\nC\r\n";
    EXPECT_EQ(appendBoundedReport(a + b, c, 1000), a + b + c);
    EXPECT_EQ(appendBoundedReport(a + b, c, (b + c).size()), b + c);
    EXPECT_EQ(appendBoundedReport(a + b, c, c.size() + 3), c);
    EXPECT_EQ(appendBoundedReport("stray text without a marker", c, c.size() + 5), c);
    EXPECT_EQ(appendBoundedReport("", c, 10), c.substr(0, 10));
}

TEST(CrashReporterMessage, IsTheExceptionText)
{
    EXPECT_EQ(CrashReporter::messageOf(std::make_exception_ptr(OrbiclockError("boom"))), "boom");
    EXPECT_EQ(CrashReporter::messageOf(std::make_exception_ptr(42)), "(no message)");
}

} // namespace
} // namespace orbiclock
