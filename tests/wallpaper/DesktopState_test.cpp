#include "wallpaper/platform/DesktopState.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace orbiclock {

void PrintTo(const DesktopState& state, std::ostream* out)
{
    *out << "{color " << std::hex << state.color << std::dec << ", wallpaper \"" << state.wallpaper << "\"}";
}

namespace {

const DesktopState kDefaults {0x5A1B14u, "/default.html"};

TEST(DesktopState, FormatsRgbColourAndEscapedPathWithCrLf)
{
    EXPECT_EQ(formatDesktopState({0x5A1B14u, "/opt/Orbiclock/Orbiclock.html"}),
              "[Desktop]\r\nBackgroundColor=#141B5A\r\nWallpaper=/opt/Orbiclock/Orbiclock.html\r\n");
    EXPECT_EQ(formatDesktopState({0x000000FFu, "/a\\b\r\nc"}),
              "[Desktop]\r\nBackgroundColor=#FF0000\r\nWallpaper=/a\\\\b\\r\\nc\r\n");
}

TEST(DesktopState, RoundTripsEveryAwkwardPath)
{
    const std::string paths[] = {"", "/plain.html", "/with space/x.html", "/back\\slash\\", "/line\nbreak\r",
                                 "/trailing\\n literal", "/equals=sign#hash[bracket]", "/\xC3\xA9t\xC3\xA9.html"};
    for (const std::string& path : paths) {
        const DesktopState state {0x123456u, path};
        EXPECT_EQ(parseDesktopState(formatDesktopState(state), kDefaults), state) << "path: " << path;
    }
}

TEST(DesktopState, ReadsWhatItCanAndKeepsDefaultsForTheRest)
{
    struct Case {
        const char* name;
        std::string text;
        DesktopState expected;
    };
    const Case cases[] = {
        {"empty", "", kDefaults},
        {"lfLineEnds", "[Desktop]\nBackgroundColor=#010203\nWallpaper=/p.html\n", {0x030201u, "/p.html"}},
        {"noFinalLineEnd", "[Desktop]\r\nWallpaper=/p.html", {kDefaults.color, "/p.html"}},
        {"emptyWallpaper", "[Desktop]\r\nWallpaper=\r\n", {kDefaults.color, ""}},
        {"badColourKept", "[Desktop]\r\nBackgroundColor=blue\r\n", kDefaults},
        {"shortColourKept", "[Desktop]\r\nBackgroundColor=#12345\r\n", kDefaults},
        {"colourWithJunkKept", "[Desktop]\r\nBackgroundColor=#12345G\r\n", kDefaults},
        {"otherSectionIgnored", "[Other]\r\nWallpaper=/no.html\r\n[Desktop]\r\nBackgroundColor=#0A0B0C\r\n",
         {0x0C0B0Au, kDefaults.wallpaper}},
        {"keysOutsideSectionIgnored", "Wallpaper=/no.html\r\n", kDefaults},
        {"unknownKeysSkipped", "[Desktop]\r\nFoo=bar\r\nWallpaper=/p.html\r\n", {kDefaults.color, "/p.html"}},
    };
    for (const Case& row : cases)
        EXPECT_EQ(parseDesktopState(row.text, kDefaults), row.expected) << row.name;
}

} // namespace
} // namespace orbiclock
