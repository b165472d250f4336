#include "app/AppPaths.h"
#include "app/RunMode.h"

#include <gtest/gtest.h>

namespace orbiclock {
namespace {

struct RunModeCase {
    const char* name;
    std::vector<std::string> arguments;
    RunMode expected;
};

TEST(RunMode, FirstArgumentLowerCasedMustEqualAKeyword)
{
    const RunModeCase cases[] = {
        {"none", {}, RunMode::Interactive},
        {"autoupdate", {"-autoupdate"}, RunMode::AutoUpdate},
        {"autoupdateCapitals", {"-AUTOUPDATE"}, RunMode::AutoUpdate},
        {"autoupdateMixed", {"-AutoUpdate"}, RunMode::AutoUpdate},
        {"firstrun", {"-FirstRun"}, RunMode::FirstRun},
        {"remove", {"-REMOVE"}, RunMode::Remove},
        {"secondArgumentIgnored", {"-remove", "-autoupdate"}, RunMode::Remove},
        {"withoutDash", {"autoupdate"}, RunMode::Unrecognised},
        {"slashInsteadOfDash", {"/autoupdate"}, RunMode::Unrecognised},
        {"appended", {"-autoupdate2"}, RunMode::Unrecognised},
        {"abbreviated", {"-auto"}, RunMode::Unrecognised},
        {"surroundingBlank", {" -remove"}, RunMode::Unrecognised},
        {"empty", {""}, RunMode::Unrecognised},
        // Only A-Z are lower-cased: a dotless capital I does not become "i".
        {"nonAsciiLetter", {"-remove\xC4\xB0"}, RunMode::Unrecognised},
    };
    for (const auto& c : cases)
        EXPECT_EQ(runModeFromArguments(c.arguments), c.expected) << c.name;
}

TEST(ScreenSizeOverride, ParsesWidthByHeightOnly)
{
    EXPECT_EQ(parseScreenSize("1920x1080"), (ScreenSize{1920, 1080}));
    EXPECT_EQ(parseScreenSize("640X480"), (ScreenSize{640, 480}));
    for (const char* bad : {"", "1920", "x1080", "1920x", "1920x1080x2", "-5x10", "0x0", "axb", "1920 x 1080"})
        EXPECT_EQ(parseScreenSize(bad), std::nullopt) << '"' << bad << '"';
}

} // namespace
} // namespace orbiclock
