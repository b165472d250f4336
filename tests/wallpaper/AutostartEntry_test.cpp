#include "wallpaper/platform/AutostartEntry.h"

#include <gtest/gtest.h>

#include <string>

namespace orbiclock {
namespace {

TEST(AutostartEntry, QuotesTheExecArgumentByTheDesktopEntryRules)
{
    struct Case {
        const char* name;
        std::string path;
        std::string expected; // as it stands in the file
    };
    const Case cases[] = {
        {"plain", "/opt/Orbiclock/orbiclock-desktop", R"("/opt/Orbiclock/orbiclock-desktop")"},
        {"space", "/opt/My Apps/host", R"("/opt/My Apps/host")"},
        // Inside the quotes \" \` \$ \\ escape; the value's own escaping then doubles each backslash.
        {"quote", "/a\"b", R"("/a\\"b")"},
        {"backquoteAndDollar", "/a`b$c", R"("/a\\`b\\$c")"},
        {"backslash", "/a\\b", R"("/a\\\\b")"},
        {"percentIsNoFieldCode", "/100%/host", R"("/100%%/host")"},
        {"lineBreak", "/a\nb", R"("/a\nb")"},
    };
    for (const Case& row : cases)
        EXPECT_EQ(desktopEntryExecArgument(row.path), row.expected) << row.name;
}

TEST(AutostartEntry, StartsTheHostWithTheSessionAndStaysOutOfMenus)
{
    const std::string text = autostartEntryText("/opt/My Apps/orbiclock-desktop");
    EXPECT_EQ(text,
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Orbiclock desktop\n"
              "Comment=Shows the Orbiclock world-clock map as the desktop\n"
              "Exec=\"/opt/My Apps/orbiclock-desktop\"\n"
              "TryExec=/opt/My Apps/orbiclock-desktop\n"
              "Terminal=false\n"
              "NoDisplay=true\n"
              "X-GNOME-Autostart-enabled=true\n");
    EXPECT_EQ(text.find('\r'), std::string::npos) << "Desktop Entry files take LF line ends only";
}

} // namespace
} // namespace orbiclock
