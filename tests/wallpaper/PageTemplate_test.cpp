// The shipped page template: every placeholder once, each where the generated text can work.

#include "wallpaper/PageBuilder.h"
#include "wallpaper/TextFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace orbiclock {
namespace {

std::string shippedTemplate()
{
    return readTextLinesCrLf(std::string(ORBICLOCK_SOURCE_DIR) + "/assets/Orbiclock_TEMPLATE.html");
}

std::size_t countOf(const std::string& text, const std::string& what)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

TEST(PageTemplate, HoldsEveryPlaceholderExactlyOnce)
{
    const std::string page = shippedTemplate();
    for (const char* p : {placeholder::kClockDefs, placeholder::kClockAttribs, placeholder::kClockTimes,
                          placeholder::kClockPos, "%%VARO%%Clock0GMTOffset"})
        EXPECT_EQ(countOf(page, p), 1u) << p;
}

TEST(PageTemplate, PutsEachPlaceholderInsideItsContext)
{
    const std::string page = shippedTemplate();
    const auto at = [&](const std::string& what) { return page.find(what); };
    const std::size_t styleStart = at("<style"), styleEnd = at("</style>");
    const std::size_t scriptStart = at("<script"), scriptEnd = at("</script>");
    const std::size_t tickStart = at("function updateClocks()");
    const std::size_t bodyStart = at("<body"), bodyEnd = at("</body>");

    EXPECT_LT(styleStart, at(placeholder::kClockDefs));
    EXPECT_LT(at(placeholder::kClockDefs), styleEnd);
    EXPECT_LT(scriptStart, at("%%VARO%%Clock0GMTOffset"));
    EXPECT_LT(scriptStart, at(placeholder::kClockAttribs));
    EXPECT_LT(at(placeholder::kClockAttribs), tickStart) << "declarations at the script's global level";
    EXPECT_LT(tickStart, at(placeholder::kClockTimes));
    EXPECT_LT(at("GMThours = now.getHours();"), at(placeholder::kClockTimes));
    EXPECT_LT(at("minutes = "), at(placeholder::kClockTimes));
    EXPECT_LT(at(placeholder::kClockTimes), scriptEnd);
    EXPECT_LT(bodyStart, at(placeholder::kClockPos));
    EXPECT_LT(at(placeholder::kClockPos), bodyEnd);
    EXPECT_NE(at("background-color: #141B5A"), std::string::npos) << "the desktop colour";
    EXPECT_NE(at("charset=utf-8"), std::string::npos) << "the page is written as UTF-8";
}

TEST(PageTemplate, AsksForQuirksModeSoPlainNumbersArePixels)
{
    // A doctype without a system identifier for HTML 4.01 Transitional selects quirks mode, where the
    // generated "style.left = <number>" statements move the layers.
    const std::string page = shippedTemplate();
    EXPECT_EQ(page.rfind("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n", 0), 0u);
}

} // namespace
} // namespace orbiclock
