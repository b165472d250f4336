#include "wallpaper/PageLayers.h"

#include "astro/CheckedMath.h"
#include "wallpaper/PageNumbers.h"

namespace orbiclock {
namespace {

std::string sidebarRule(const char* id, std::int32_t left, std::int32_t screenHeight)
{
    return std::string("#") + id + " {position:absolute; left:" + integerText(left) + "px; top:" + integerText(0) +
           "px; width:" + integerText(160) + "px; height:" + integerText(screenHeight) + "px; z-index:1; margin:0;}";
}

std::string sidebarElement(const char* id, const BackgroundLayout& background, const std::string& appDirUrl)
{
    return std::string("<div ID=\"") + id + "\"><font face=\"Arial, Helvetica, sans-serif\">" + kCrLf +
           "  <img name=BkgImage width=\"" + integerText(160) + "\" height=\"" + integerText(background.height) +
           "\" src=\"" + appDirUrl + "opt/1920_background_sidebars.gif\"></font></div>" + kCrLf;
}

} // namespace

PageFragments backgroundLayerFragments(const BackgroundLayout& background, const std::string& appDirUrl)
{
    PageFragments fragments;
    fragments.clock_defs = "#bglayer {position:relative; left:" + integerText(background.left) +
                           "px; top:" + integerText(background.top) + "px; width:" + integerText(background.width) +
                           "px; height:" + integerText(background.height) + "px; z-index:1; margin:0;}" + kCrLf;
    fragments.clock_pos = std::string("<div ID=\"bglayer\"><font face=\"Arial, Helvetica, sans-serif\">") + kCrLf +
                          "  <img name=BkgImage width=\"" + integerText(background.width) + "\" height=\"" +
                          integerText(background.height) + "\" src=\"" + appDirUrl + "opt/" + background.file +
                          "\"></font></div>" + kCrLf;
    return fragments;
}

void appendDaylightLayers(PageFragments& fragments, const DaylightLayerPair& pair, const BackgroundLayout& background,
                          OverlaySize overlay, double currentOffsetHours)
{
    const std::string name = pair.name;
    const std::string first = name + "1";
    const std::string second = name + "2";
    const std::string width = integerText(overlay.width);
    const std::string height = integerText(overlay.height);
    const std::string hourWidth = integerText(overlayHourWidth(overlay.width));
    const std::string left = integerText(background.left);
    const std::string top = integerText(background.top);
    const std::string image = "<img src=\"opt/" + integerText(background.width) + pair.imageSuffix + "\" width=\"" +
                              width + "\" height=\"" + height + "\">";

    const auto appendLines = [](std::string& fragment, std::initializer_list<std::string> lines) {
        fragment += kCrLf;
        for (const std::string& line : lines) {
            fragment += kCrLf;
            fragment += line;
        }
    };

    const auto rule = [&](const std::string& id) {
        return "#" + id + " {position:absolute; width:" + width + "px; height:" + height +
               "px; z-index:" + integerText(pair.zIndex) +
               "; font-family: Arial, Helvetica, sans-serif; font-size: xx-small; font-style: normal; "
               "font-weight: normal; font-variant: normal; text-decoration: none}";
    };
    appendLines(fragments.clock_defs, {rule(first), rule(second)});

    appendLines(fragments.clock_attribs, {
        "var " + first + "OffsetX;",
        "var " + first + "OffsetY;",
        "var " + first + "GMTOffset = 2;",
        "var " + first + "City='" + image + "';",
        "var " + second + "OffsetX;",
        "var " + second + "OffsetY;",
        "var " + second + "GMTOffset = 2;",
        "var " + second + "City='" + image + "';",
    });

    appendLines(fragments.clock_times, {
        first + "City='" + image + "';",
        first + ".innerHTML = " + first + "City;",
        first + ".style.top = " + top + ";",
        "diffFromGMT=" + oneDecimalText(currentOffsetHours) + ";",
        "xpos = (GMThours+(minutes/60.0)-diffFromGMT)*(" + width + "/24);",
        first + ".style.left = " + hourWidth + "-xpos+" + left + ";",
        second + "City='" + image + "';",
        second + ".innerHTML = " + second + "City",
        second + ".style.top = " + top + ";",
        "if (" + hourWidth + "-xpos < 0){",
        "\t" + second + ".style.left = " + hourWidth + "-xpos + " + width + "+" + left + ";",
        "} else {",
        "\t" + second + ".style.left = " + hourWidth + "-xpos - " + width + "+" + left + ";",
        "}",
    });

    const auto element = [&](const std::string& id) {
        return "<div id=\"" + id + "\" style=\"left:" + left + "px; top:" + top + "px\"></div>";
    };
    appendLines(fragments.clock_pos, {element(first), element(second)});
}

void appendSidebars(PageFragments& fragments, ScreenSize screen, const BackgroundLayout& background,
                    const std::string& appDirUrl)
{
    const std::int32_t leftEdge = checkedSub(screen.width, 1920) / 2;
    fragments.clock_defs += kCrLf + sidebarRule("sidebarleft", leftEdge, screen.height) + kCrLf;
    fragments.clock_pos += sidebarElement("sidebarleft", background, appDirUrl);
    fragments.clock_defs += kCrLf + sidebarRule("sidebarright", checkedAdd(leftEdge, 1760), screen.height) + kCrLf;
    fragments.clock_pos += sidebarElement("sidebarright", background, appDirUrl);
}

} // namespace orbiclock
