#include "wallpaper/PageBuilder.h"

#include "astro/Clock.h"
#include "astro/FixedDay.h"
#include "astro/Location.h"
#include "astro/LocationOffset.h"
#include "astro/ProtoDate.h"
#include "wallpaper/LocationRecord.h"
#include "wallpaper/PageContext.h"
#include "wallpaper/UpdatePipeline.h"
#include "PageTestSupport.h"
#include "ScopedNumericLocale.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <locale>
#include <regex>
#include <string>
#include <vector>

namespace orbiclock {
namespace {

using pagetest::crLfLines;
using pagetest::localTime;
using pagetest::placeRow;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr char kSeparator = '\x01';

/// A template that holds only the four placeholders, so the fragments can be read back one by one.
const std::string kBareTemplate = std::string("<clock_defs></clock_defs>") + kSeparator +
                                  "<clock_attribs></attribs>" + kSeparator + "<clock_times></clock_times>" +
                                  kSeparator + "<clock_pos></clock_pos>";

const char* const kClockStyleTail = "; font-family: Arial, Helvetica, sans-serif; font-size: xx-small; font-style: "
                                    "normal; font-weight: normal; font-variant: normal; text-decoration: none}";

class PageBuilderTest : public ::testing::Test {
protected:
    PageBuilderTest() { onScreen(1920, 1080); }

    void onScreen(std::int32_t width, std::int32_t height)
    {
        m_screen.screen = {width, height};
        m_background = chooseBackground(m_screen.screen);
        m_overlay = screenBandFor(width).overlay;
    }

    /// The rows of the table; the first one becomes the current place as the pipeline makes it.
    void setRows(std::vector<LocationRow> rows, std::int32_t visibleCount = 10)
    {
        m_cursor.rows() = std::move(rows);
        m_screen.visibleCount = visibleCount;
        m_currentRec = TLocationRec{};
        m_currentOnMap = false;
        if (!m_cursor.rows().empty()) {
            const LocationRow& first = m_cursor.rows().front();
            m_currentRec = locationRecFromRow(first);
            m_currentOnMap = first.PosX != 0 && first.PosY != 0;
        }
        const LocationOffset toGmt = ComputeLocationOffset(m_currentRec, m_gmtRec, m_clock);
        m_currentOffsetHours = -(toGmt.Hours + toGmt.Minutes / 60.0);
    }

    PageContext context()
    {
        return PageContext{m_pageText,   m_background,         m_appDirUrl,    m_overlay,     m_gmtRec,
                           m_currentRec, m_currentOffsetHours, m_currentOnMap, m_gmtLocation, m_cursor,
                           m_clock};
    }

    /// Builds the page on the bare template and reads the four fragments back.
    PageFragments build()
    {
        m_pageText = kBareTemplate;
        PageContext page = context();
        BuildPageContents(page, m_screen);
        std::vector<std::string> parts;
        std::size_t start = 0;
        for (std::size_t at; (at = m_pageText.find(kSeparator, start)) != std::string::npos; start = at + 1)
            parts.push_back(m_pageText.substr(start, at - start));
        parts.push_back(m_pageText.substr(start));
        EXPECT_EQ(parts.size(), 4u) << "the fragments hold no separator";
        parts.resize(4);
        return {parts[0], parts[1], parts[2], parts[3]};
    }

    std::string m_pageText;
    BackgroundLayout m_background;
    const std::string m_appDirUrl = "file:///apps/Orbiclock/";
    OverlaySize m_overlay;
    const TLocationRec m_gmtRec = GmtReferenceRecord();
    TLocationRec m_currentRec;
    double m_currentOffsetHours = 0.0;
    bool m_currentOnMap = false;
    TLocation m_gmtLocation{"GMT", 0.0, 0.0, 0.0, 0.0};
    pagetest::VectorCursor m_cursor;
    FixedClock m_clock{localTime(2024, 1, 15, 12, 0)};
    PageScreen m_screen;
};

/// The block of one clock's tick statements: from its "// Set Clock n (" line to its innerHTML line.
std::string tickBlock(const std::string& times, int number)
{
    const std::string start = "// Set Clock " + std::to_string(number) + " (";
    const std::size_t from = times.find(start);
    if (from == std::string::npos)
        return {};
    const std::string end = "Clock" + std::to_string(number) + ".innerHTML = currenttime;\r\n";
    const std::size_t to = times.find(end, from);
    return to == std::string::npos ? times.substr(from) : times.substr(from, to + end.size() - from);
}

TEST_F(PageBuilderTest, StartsWithTheBackgroundLayer)
{
    setRows({});
    const PageFragments f = build();
    EXPECT_EQ(crLfLines(f.clock_defs).at(0),
              "#bglayer {position:relative; left:160px; top:-60px; width:1600px; height:1200px; z-index:1; margin:0;}");
    EXPECT_EQ(f.clock_pos.substr(0, f.clock_pos.find("</div>") + 8),
              "<div ID=\"bglayer\"><font face=\"Arial, Helvetica, sans-serif\">\r\n"
              "  <img name=BkgImage width=\"1600\" height=\"1200\" src=\"file:///apps/Orbiclock/opt/"
              "1600_background.gif\"></font></div>\r\n");
}

TEST_F(PageBuilderTest, WritesTheSlidingStatementsOfTheDotsLayersOnAWideScreen)
{
    setRows({});
    const PageFragments f = build();
    const std::string img = "<img src=\"opt/1600_background_dots.gif\" width=\"1390\" height=\"1200\">";
    const std::string expected = "\r\n"
                                 "\r\nDotted1City='" + img + "';"
                                 "\r\nDotted1.innerHTML = Dotted1City;"
                                 "\r\nDotted1.style.top = -60;"
                                 "\r\ndiffFromGMT=0.0;"
                                 "\r\nxpos = (GMThours+(minutes/60.0)-diffFromGMT)*(1390/24);"
                                 "\r\nDotted1.style.left = 58-xpos+160;"
                                 "\r\nDotted2City='" + img + "';"
                                 "\r\nDotted2.innerHTML = Dotted2City"
                                 "\r\nDotted2.style.top = -60;"
                                 "\r\nif (58-xpos < 0){"
                                 "\r\n\tDotted2.style.left = 58-xpos + 1390+160;"
                                 "\r\n} else {"
                                 "\r\n\tDotted2.style.left = 58-xpos - 1390+160;"
                                 "\r\n}";
    EXPECT_EQ(f.clock_times.substr(0, expected.size()), expected);

    // The solid pair follows with the same statements on its own elements and image.
    std::string solid = expected;
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"Dotted", "Solid"}, {"_dots.gif", "_solid.gif"}})
        for (std::size_t at; (at = solid.find(from)) != std::string::npos;)
            solid.replace(at, from.size(), to);
    EXPECT_EQ(f.clock_times.substr(expected.size()), solid);
}

TEST_F(PageBuilderTest, DeclaresAndPlacesBothLayerPairsWithTheirZIndexes)
{
    setRows({});
    const PageFragments f = build();
    const std::string rule = " {position:absolute; width:1390px; height:1200px; z-index:";
    EXPECT_THAT(f.clock_defs, HasSubstr("\r\n\r\n#Dotted1" + rule + "1" + kClockStyleTail + "\r\n#Dotted2" + rule +
                                        "1" + kClockStyleTail));
    EXPECT_THAT(f.clock_defs, HasSubstr("\r\n\r\n#Solid1" + rule + "0" + kClockStyleTail + "\r\n#Solid2" + rule + "0" +
                                        kClockStyleTail));
    EXPECT_THAT(f.clock_attribs,
                HasSubstr("\r\n\r\nvar Dotted1OffsetX;\r\nvar Dotted1OffsetY;\r\nvar Dotted1GMTOffset = 2;\r\n"
                          "var Dotted1City='<img src=\"opt/1600_background_dots.gif\" width=\"1390\" height=\"1200\">';"
                          "\r\nvar Dotted2OffsetX;\r\nvar Dotted2OffsetY;\r\nvar Dotted2GMTOffset = 2;\r\n"
                          "var Dotted2City='<img src=\"opt/1600_background_dots.gif\" width=\"1390\" height=\"1200\">';"));
    EXPECT_THAT(f.clock_pos, HasSubstr("\r\n\r\n<div id=\"Solid1\" style=\"left:160px; top:-60px\"></div>"
                                       "\r\n<div id=\"Solid2\" style=\"left:160px; top:-60px\"></div>"));
}

TEST_F(PageBuilderTest, WritesTheCurrentPlacesOffsetFromGmtWithOneDecimal)
{
    struct Case {
        const char* name;
        double gmt;
        const char* expected;
    };
    const Case cases[] = {
        {"five_and_a_half_ahead", 5.5, "\r\ndiffFromGMT=5.5;\r\n"},
        {"three_behind", -3.0, "\r\ndiffFromGMT=-3.0;\r\n"},
        {"five_and_three_quarters_ahead", 5.75, "\r\ndiffFromGMT=5.8;\r\n"},
    };
    for (const Case& c : cases) {
        setRows({placeRow(0, "Here", c.gmt)});
        EXPECT_THAT(build().clock_times, HasSubstr(c.expected)) << c.name;
    }
}

TEST_F(PageBuilderTest, AddsDaylightLayersFrom1600AndSidebarsAbove1600)
{
    struct Case {
        const char* name;
        std::int32_t width, height;
        bool layers;
        bool sidebars;
        std::int32_t left, right;
    };
    const Case cases[] = {
        {"exactly_1600", 1600, 1200, true, false, 0, 0},
        {"just_below", 1599, 1200, false, false, 0, 0},
        {"just_above", 1601, 1200, true, true, -159, 1601},
        {"full_hd", 1920, 1080, true, true, 0, 1760},
        {"wider", 2560, 1440, true, true, 320, 2080},
    };
    for (const Case& c : cases) {
        onScreen(c.width, c.height);
        setRows({});
        const PageFragments f = build();
        for (const char* id : {"Dotted1", "Dotted2", "Solid1", "Solid2"}) {
            EXPECT_EQ(f.clock_defs.find(std::string("#") + id) != std::string::npos, c.layers) << c.name << " " << id;
            EXPECT_EQ(f.clock_pos.find(std::string("id=\"") + id) != std::string::npos, c.layers) << c.name << " " << id;
        }
        EXPECT_EQ(f.clock_times.empty(), !c.layers) << c.name;
        EXPECT_EQ(f.clock_pos.find("sidebar") != std::string::npos, c.sidebars) << c.name;
        if (!c.sidebars)
            continue;
        const std::string h = std::to_string(c.height);
        EXPECT_THAT(f.clock_defs, HasSubstr("\r\n#sidebarleft {position:absolute; left:" + std::to_string(c.left) +
                                            "px; top:0px; width:160px; height:" + h + "px; z-index:1; margin:0;}\r\n"))
            << c.name;
        EXPECT_THAT(f.clock_defs, HasSubstr("\r\n#sidebarright {position:absolute; left:" + std::to_string(c.right) +
                                            "px; top:0px; width:160px; height:" + h + "px; z-index:1; margin:0;}\r\n"))
            << c.name;
        const std::string image = "  <img name=BkgImage width=\"160\" height=\"1200\" src=\"file:///apps/Orbiclock/"
                                  "opt/1920_background_sidebars.gif\"></font></div>\r\n";
        EXPECT_THAT(f.clock_pos,
                    HasSubstr("</div><div ID=\"sidebarleft\"><font face=\"Arial, Helvetica, sans-serif\">\r\n" + image +
                              "<div ID=\"sidebarright\"><font face=\"Arial, Helvetica, sans-serif\">\r\n" + image))
            << c.name;
    }
}

TEST_F(PageBuilderTest, WritesTheNewYorkClockAsAWholeHourClock)
{
    setRows({placeRow(0, "Here", 1.0), placeRow(1, "Somewhere", 1.0), placeRow(2, "Elsewhere", 2.0),
             placeRow(3, "New York", -5.0, 40.7128, -74.006, 286, 604)});
    const PageFragments f = build();

    EXPECT_THAT(f.clock_attribs, HasSubstr("\r\nvar Clock3OffsetX;\r\nvar Clock3OffsetY;\r\nvar Clock3GMTOffset = -6;"
                                           "\r\nvar Clock3City='<img src=\"opt/dot.gif\" width=\"8\" height=\"8\"> "
                                           "New&nbsp;York';"));
    EXPECT_THAT(f.clock_defs, HasSubstr(std::string("\r\n#Clock3 {position:absolute; width:100px; height:50px; "
                                                    "z-index:4") + kClockStyleTail));

    const std::string block = tickBlock(f.clock_times, 3);
    const std::string expected =
        "// Set Clock 3 (New York)\r\n"
        "if (Clock3GMTOffset < 0){\r\n"
        "hoursClock3 =((GMThours + (24+Clock3GMTOffset)) >= 24) ? ((GMThours + (24+Clock3GMTOffset)) - 24) : "
        "(GMThours + (24+Clock3GMTOffset));\r\n"
        "}else{\r\n"
        "hoursClock3 =GMThours + Clock3GMTOffset;\r\n"
        "}\r\n"
        "tmpHours = hoursClock3;\r\n"
        "tmpminutes = minutes;\r\n"
        "if (tmpHours > 23){tmpHours = tmpHours - 24}\r\n"
        "if (tmpHours <  0){tmpHours = tmpHours + 24}\r\n"
        "hoursClock3 = tmpHours\r\n"
        "currenttime = \"<b>\" + Clock3City + \"<br>\" + \"&nbsp;&nbsp;&nbsp;&nbsp;\" + hoursClock3 + \":\" + minutes + "
        "\"&nbsp;\" + \"</b>\";\r\n"
        "tmpNowMinutes = (60.0*hoursClock3 + tmpminutes/1.0)\r\n";
    EXPECT_EQ(block.substr(0, expected.size()), expected);

    // The colour tests, with the sun times of New York on 15 January 2024 in its standard time.
    const std::vector<std::string> lines = crLfLines(block.substr(expected.size()));
    ASSERT_EQ(lines.size(), 19u);
    const std::regex tooltip(R"(// dawn=0[67]:\d\d, sunrise=07:\d\d, sunset=16:\d\d, dusk=17:\d\d)");
    EXPECT_TRUE(std::regex_match(lines[0], tooltip)) << lines[0];
    const std::string title = lines[0].substr(3);
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(if \(\(tmpNowMinutes < 4\d\d\.0\)\|\|\(tmpNowMinutes > 10\d\d\.0\)\)\{)")))
        << lines[1];
    const std::string city = "City='<img title=\"" + title + "\" src=\"opt/";
    const std::string name = "\" width=\"8\" height=\"8\"> New&nbsp;York';";
    EXPECT_EQ(lines[2], "    Clock3.style.color = \"#C0C0C0\";");
    EXPECT_EQ(lines[3], "    Clock3" + city + "dotNight.gif" + name);
    EXPECT_EQ(lines[4], "} else {");
    EXPECT_TRUE(std::regex_match(lines[5], std::regex(R"(    if \(tmpNowMinutes-0\.0 < 4\d\d\.0\)\{)"))) << lines[5];
    EXPECT_EQ(lines[6], "        Clock3.style.color = \"#F0C101\";");
    EXPECT_EQ(lines[7], "        Clock3" + city + "dotTwillight.gif" + name);
    EXPECT_EQ(lines[8], "    } else {");
    EXPECT_TRUE(std::regex_match(lines[9], std::regex(R"(        if \(tmpNowMinutes\+0\.0 > 1\d{3}\.0\)\{)"))) << lines[9];
    EXPECT_EQ(lines[10], "            Clock3.style.color = \"#F0C101\";");
    EXPECT_EQ(lines[11], "            Clock3" + city + "dotTwillight.gif" + name);
    EXPECT_EQ(lines[12], "            } else {");
    EXPECT_EQ(lines[13], "                Clock3.style.color = \"#FFFF00\";");
    EXPECT_EQ(lines[14], "                Clock3" + city + "dotDay.gif" + name);
    EXPECT_EQ(lines[15], "        }");
    EXPECT_EQ(lines[16], "    }");
    EXPECT_EQ(lines[17], "}");
    EXPECT_EQ(lines[18], "Clock3.innerHTML = currenttime;");
}

TEST_F(PageBuilderTest, KeepsTheHalfHourLayoutForAHalfHourDifference)
{
    // Current place at +1, the place at -3:30: 4 h 30 min behind. The lines add 30 minutes and, for a
    // negative offset, the offset + 1 hours: -6 + 1 = -5 hours, i.e. -4:30 in all.
    setRows({placeRow(0, "Here", 1.0), placeRow(1, "St. John's", -3.5, 47.56, -52.71, 560, 510)});
    const PageFragments f = build();
    EXPECT_THAT(f.clock_attribs, HasSubstr("var Clock1GMTOffset = -6;"));
    const std::string expected =
        "// Set Clock 1 (St. John's) ***30 min offset***\r\n"
        "if (Clock1GMTOffset < 0){\r\n"
        "   //hoursClock1 =((GMThours + (24+Clock1GMTOffset+1)) >= 24) ? ((GMThours + (24+Clock1GMTOffset+1)) - 24) "
        ": (GMThours + (24+Clock1GMTOffset+1));\r\n"
        "   hoursClock1 =GMThours + (24+Clock1GMTOffset+1);\r\n"
        "   tmpminutes = minutes*1.0 + 30.0;\r\n"
        "   if (minutes > 29){\r\n"
        "      hoursClock1 = hoursClock1 + 1.0;\r\n"
        "      tmpminutes = minutes - 30.0;\r\n"
        "   }else if (minutes < 0.0){\r\n"
        "      hoursClock1 = hoursClock1 - 1.0;\r\n"
        "      tmpminutes = (minutes - 30) + 60;\r\n"
        "   }\r\n"
        "}else{\r\n"
        "   hoursClock1 =GMThours + Clock1GMTOffset;\r\n"
        "   tmpminutes = minutes*1.0 + 30.0;\r\n"
        "   if (minutes > 29){\r\n"
        "      hoursClock1 = hoursClock1 + 1;\r\n"
        "      tmpminutes = minutes - 30;\r\n"
        "   }else if (minutes < 0){\r\n"
        "      hoursClock1 = hoursClock1 - 1;\r\n"
        "      tmpminutes = (minutes - 30) + 60;\r\n"
        "   }\r\n"
        "}\r\n"
        "tmpHours = hoursClock1\r\n"
        "if (tmpHours > 23){tmpHours = tmpHours - 24}\r\n"
        "if (tmpHours <  0){tmpHours = tmpHours + 24}\r\n"
        "if (tmpHours > 23){tmpHours = tmpHours - 24}\r\n"
        "if (tmpHours <  0){tmpHours = tmpHours + 24}\r\n"
        "hoursClock1 = tmpHours\r\n"
        "if (tmpminutes > 9){\r\n"
        "currenttime = \"<b>\" + Clock1City + \"<br>\" + \"&nbsp;&nbsp;&nbsp;&nbsp;\" + hoursClock1 + \":\" + "
        "tmpminutes + \"&nbsp;\" + \"</b>\";\r\n"
        "}else{\r\n"
        "currenttime = \"<b>\" + Clock1City + \"<br>\" + \"&nbsp;&nbsp;&nbsp;&nbsp;\" + hoursClock1 + \":0\" + "
        "tmpminutes + \"&nbsp;\" + \"</b>\";\r\n"
        "}\r\n"
        "int_minutes = tmpminutes;\r\n"
        "tmpNowMinutes = (60.0*hoursClock1 + tmpminutes/1.0)\r\n";
    EXPECT_EQ(tickBlock(f.clock_times, 1).substr(0, expected.size()), expected);
}

TEST_F(PageBuilderTest, ChoosesTheClockOffsetFromTheWholeDifference)
{
    struct Case {
        const char* name;
        double current, place;
        const char* offset;
        const char* lines; // the end of the "// Set Clock" line
    };
    const Case cases[] = {
        {"plus1_and_plus5h30", 1.0, 5.5, "4", ") ***30 min offset***"},
        {"plus1_and_minus3h30", 1.0, -3.5, "-6", ") ***30 min offset***"},
        {"zero_and_minus3h30", 0.0, -3.5, "-5", ") ***30 min offset***"},
        {"plus4_and_plus3h30", 4.0, 3.5, "-2", ") ***30 min offset***"},
        {"plus1_and_minus5", 1.0, -5.0, "-6", ")"},
        {"both_at_minus3h30", -3.5, -3.5, "0", ")"},
        {"zero_and_plus5h45", 0.0, 5.75, "5", ") ***45 min offset***"},
        {"zero_and_plus12h45", 0.0, 12.75, "12", ") ***45 min offset***"},
        {"plus5h45_and_zero", 5.75, 0.0, "-7", ") ***15 min offset***"},
        {"plus5h30_and_plus5h45", 5.5, 5.75, "0", ") ***15 min offset***"},
    };
    for (const Case& c : cases) {
        setRows({placeRow(0, "Here", c.current), placeRow(1, "There", c.place)});
        const PageFragments f = build();
        EXPECT_THAT(f.clock_attribs, HasSubstr(std::string("\r\nvar Clock1GMTOffset = ") + c.offset + ";\r\n"))
            << c.name;
        EXPECT_THAT(f.clock_times, HasSubstr(std::string("// Set Clock 1 (There") + c.lines + "\r\n")) << c.name;
    }

    setRows({placeRow(0, "Here", 0.0), placeRow(1, "Kathmandu", 5.75)});
    const std::string block = tickBlock(build().clock_times, 1);
    EXPECT_THAT(block, HasSubstr("\r\n   tmpminutes = minutes*1.0 + 45.0;\r\n   if (minutes > 14){\r\n"
                                 "      hoursClock1 = hoursClock1 + 1.0;\r\n      tmpminutes = minutes - 15.0;\r\n"));
    EXPECT_THAT(block, HasSubstr("\r\n      tmpminutes = minutes - 15;\r\n"));
}

TEST_F(PageBuilderTest, AppliesSummerTimeOnBothSidesToTheClockOffset)
{
    // 15 July 2024: London +1 in summer, New York -4, Sydney +10 in its winter.
    m_clock.set(localTime(2024, 7, 15, 12, 0));
    setRows({pagetest::withSummerTime(placeRow(0, "London", 0.0), pagetest::kEuropeanRules),
             pagetest::withSummerTime(placeRow(1, "New York", -5.0), pagetest::kNorthAmericanRules),
             placeRow(2, "Sydney", 10.0)});
    const PageFragments f = build();
    EXPECT_THAT(f.clock_attribs, HasSubstr("var Clock1GMTOffset = -5;"));
    EXPECT_THAT(f.clock_attribs, HasSubstr("var Clock2GMTOffset = 9;"));
    EXPECT_THAT(f.clock_times, HasSubstr("\r\ndiffFromGMT=1.0;\r\n"));
}

TEST_F(PageBuilderTest, PutsTheCurrentPlaceAboveEveryClockAndItsBoxJustAboveTheMap)
{
    const std::string rule = " {position:absolute; width:100px; height:50px; z-index:";
    setRows({placeRow(0, "London", 0.0, 51.5, -0.13, 761, 370), placeRow(1, "Paris", 1.0, 48.9, 2.35, 770, 390)},
            20);
    PageFragments f = build();
    EXPECT_THAT(f.clock_defs, HasSubstr("\r\n#Clock0" + rule + "22" + kClockStyleTail + "\r\n#Clock000" + rule + "2" +
                                        kClockStyleTail + "\r\n#Clock1" + rule + "2" + kClockStyleTail));

    setRows({placeRow(0, "London", 0.0, 51.5, -0.13, 0, 370), placeRow(1, "Paris", 1.0, 48.9, 2.35, 770, 390)}, 20);
    f = build();
    EXPECT_THAT(f.clock_defs, HasSubstr("\r\n#Clock0" + rule + "1" + kClockStyleTail + "\r\n#Clock1"));
    EXPECT_THAT(f.clock_defs + f.clock_attribs + f.clock_times + f.clock_pos, Not(HasSubstr("Clock000")));
}

TEST_F(PageBuilderTest, GivesTheCurrentPlaceAMarkerAndALocationBoxButNoTickStatements)
{
    m_clock.set(localTime(2024, 6, 21, 12, 0));
    setRows({placeRow(0, "London", 0.0, 51.5074, -0.1278, 761, 370)});
    const PageFragments f = build();
    EXPECT_THAT(f.clock_attribs,
                HasSubstr("var Clock0OffsetX;\r\nvar Clock0OffsetY;\r\nvar Clock0GMTOffset = 0;\r\n"
                          "var Clock0City='<img src=\"opt/dot2.gif\" width=\"8\" height=\"8\"> ';"
                          "var Clock000City='<img src=\"opt/dot2.gif\" width=\"8\" height=\"8\"> ';"));
    EXPECT_THAT(f.clock_times, Not(HasSubstr("// Set Clock")));
    const std::string box = f.clock_times.substr(0, f.clock_times.find("\r\n\r\n"));
    EXPECT_TRUE(std::regex_match(
        box, std::regex("Clock000\\.style\\.color = \"#00FF00\";\r\n"
                        "Clock000\\.innerHTML = \"Current&nbsp;location:<BR>London,&nbsp;Country<BR><NOBR>"
                        "dawn-sunrise-sunset-dusk</NOBR><BR><NOBR>2:5\\d - 3:\\d\\d - 20:\\d\\d - 21:\\d\\d</NOBR>\";")))
        << box;
    EXPECT_THAT(f.clock_pos,
                HasSubstr("</div>\r\n\r\n <div id=\"Clock0\" style=\"left: 917px; top: 302px\">\r\n"
                          "    <img src=\"file:///apps/Orbiclock/opt/dot2.gif\" width=\"8\" height=\"8\"></div>"
                          " <div id=\"Clock000\" style=\"left: 691px; top: 142px\">\r\n"
                          "    <img src=\"file:///apps/Orbiclock/opt/dot2.gif\" width=\"8\" height=\"8\"></div>"
                          "\r\n\r\n<div id=\"Dotted1\""));
}

TEST_F(PageBuilderTest, PlacesClocksOnTheScaledMap)
{
    struct Case {
        const char* name;
        std::int32_t width, height;
        const char* clock;
        const char* box;
    };
    const Case cases[] = {
        {"full_hd", 1920, 1080, "left: 1156px; top: 432px", "left: 691px; top: 142px"},
        {"xga", 1024, 768, "left: 637px; top: 315px", "left: 71px; top: 575px"},
        {"laptop", 1366, 768, "left: 830px; top: 303px", "left: 166px; top: 618px"},
    };
    for (const Case& c : cases) {
        onScreen(c.width, c.height);
        setRows({placeRow(0, "Here", 0.0, 10, 10, 800, 700), placeRow(1, "There", 0.0, 20, 20, 1000, 500)});
        const PageFragments f = build();
        EXPECT_THAT(f.clock_pos, HasSubstr(std::string("\r\n<div id=\"Clock1\" style=\"") + c.clock + "\"></div>\r\n"))
            << c.name;
        EXPECT_THAT(f.clock_pos, HasSubstr(std::string(" <div id=\"Clock000\" style=\"") + c.box + "\">")) << c.name;
    }
}

TEST_F(PageBuilderTest, WritesMarkersForPolarDaysAndNights)
{
    struct Case {
        const char* name;
        int month;
        double latitude;
        const char* dawnAndDusk; // the night test
        const char* sunrise;
        const char* sunset;
    };
    const Case cases[] = {
        {"midnight_sun_in_june", 6, 78.22, "(tmpNowMinutes < -5000.0)||(tmpNowMinutes > 5000.0)", "-4000", "4000"},
        {"polar_night_in_december", 12, 78.22, "(tmpNowMinutes < 5000.0)||(tmpNowMinutes > -5000.0)", "4000", "-4000"},
        {"southern_midnight_sun_in_december", 12, -77.84, "(tmpNowMinutes < -5000.0)||(tmpNowMinutes > 5000.0)",
         "-4000", "4000"},
    };
    for (const Case& c : cases) {
        m_clock.set(localTime(2024, c.month, 21, 12, 0));
        setRows({placeRow(0, "Here", 0.0), placeRow(1, "Polar", 1.0, c.latitude, 15.6)});
        const std::string block = tickBlock(build().clock_times, 1);
        EXPECT_THAT(block, HasSubstr("// dawn=--:--, sunrise=--:--, sunset=--:--, dusk=--:--\r\n")) << c.name;
        EXPECT_THAT(block, HasSubstr(std::string("\r\nif (") + c.dawnAndDusk + "){\r\n")) << c.name;
        EXPECT_THAT(block, HasSubstr(std::string("if (tmpNowMinutes-0.0 < ") + c.sunrise + ".0){")) << c.name;
        EXPECT_THAT(block, HasSubstr(std::string("if (tmpNowMinutes+0.0 > ") + c.sunset + ".0){")) << c.name;
    }

    // Far north in December with twilight but no sunrise: amber between dawn and dusk, grey otherwise.
    m_clock.set(localTime(2024, 12, 21, 12, 0));
    setRows({placeRow(0, "Here", 0.0), placeRow(1, "Tromso", 1.0, 69.65, 18.96)});
    const std::string block = tickBlock(build().clock_times, 1);
    EXPECT_TRUE(std::regex_search(block, std::regex(R"(// dawn=\d\d:\d\d, sunrise=--:--, sunset=--:--, dusk=\d\d:\d\d)")))
        << block;
    EXPECT_TRUE(std::regex_search(block, std::regex(R"(if \(\(tmpNowMinutes < [1-9]\d\d\.0\)\|\|\(tmpNowMinutes > [1-9]\d\d\.0\)\))")))
        << block;
    EXPECT_THAT(block, HasSubstr("if (tmpNowMinutes-0.0 < 4000.0){"));
    EXPECT_THAT(block, HasSubstr("if (tmpNowMinutes+0.0 > -4000.0){"));
}

TEST_F(PageBuilderTest, GoesOnWhenASunComputationFails)
{
    // At 70.78°N on 24 April 2024 the dusk computation fails near the polar circle.
    m_clock.set(localTime(2024, 4, 24, 12, 0));
    TLocation place("probe", 70.78, 0.0, 0.0, 0.0);
    ASSERT_ANY_THROW(TProtoDate::Dusk(FixedFromDateTime(45406), place, TProtoDate::Angle(6, 0, 0)))
        << "the example no longer fails; pick another";

    setRows({placeRow(0, "Here", 0.0), placeRow(1, "Failing", 0.0, 70.78, 0.0), placeRow(2, "Next", 0.0, 40, 0)});
    const PageFragments f = build();
    const std::string block = tickBlock(f.clock_times, 1);
    EXPECT_TRUE(std::regex_search(block, std::regex(R"(// dawn=(--:--|\d\d:\d\d), sunrise=\d\d:\d\d, sunset=\d\d:\d\d, dusk=--:--)")))
        << block;
    EXPECT_THAT(block, HasSubstr("||(tmpNowMinutes > 5000.0)){"));
    EXPECT_THAT(f.clock_times, HasSubstr("// Set Clock 2 (Next)"));
}

TEST_F(PageBuilderTest, SkipsRowsWithoutAName)
{
    setRows({placeRow(0, "Here", 0.0), placeRow(1, "", 1.0), placeRow(2, "Named", 2.0)});
    const PageFragments f = build();
    EXPECT_THAT(f.clock_defs, Not(HasSubstr("#Clock1 ")));
    EXPECT_THAT(f.clock_attribs, Not(HasSubstr("Clock1")));
    EXPECT_THAT(f.clock_pos, Not(HasSubstr("\"Clock1\"")));
    EXPECT_THAT(f.clock_times, HasSubstr("// Set Clock 2 (Named)"));
}

TEST_F(PageBuilderTest, BuildsAnEmptyListAsBackgroundAndLayersOnly)
{
    setRows({});
    const PageFragments f = build();
    EXPECT_THAT(f.clock_defs + f.clock_attribs + f.clock_times + f.clock_pos, Not(HasSubstr("Clock")));
    EXPECT_THAT(f.clock_pos, HasSubstr("bglayer"));
    EXPECT_THAT(f.clock_pos, HasSubstr("Solid2"));
    EXPECT_THAT(f.clock_pos, HasSubstr("sidebarright"));
    EXPECT_EQ(f.clock_attribs.substr(0, 4), "\r\n\r\n");
}

TEST_F(PageBuilderTest, EscapesHostileNamesForEachPlaceTheyAppear)
{
    const std::string hostile = "O'Brien \"Q\" <b>&amp;</b> \\ </script><script>x=1</script>\n_XxX_";
    LocationRow current = placeRow(0, hostile, 0.0, 51.5, 0.0, 761, 370);
    current.name_Country = "<i>Land</i>'s";
    setRows({current, placeRow(1, hostile, 1.0, 48.0, 2.0, 770, 390)});
    const PageFragments f = build();
    const std::string shown = "O&#39;Brien&nbsp;&quot;Q&quot;&nbsp;&lt;b&gt;&amp;amp;&lt;/b&gt;&nbsp;\\\\&nbsp;"
                              "&lt;/script&gt;&lt;script&gt;x=1&lt;/script&gt;\\n_XxX_";

    EXPECT_THAT(f.clock_attribs,
                HasSubstr("var Clock1City='<img src=\"opt/dot.gif\" width=\"8\" height=\"8\"> " + shown + "';"));
    EXPECT_THAT(f.clock_times, HasSubstr("src=\"opt/dotDay.gif\" width=\"8\" height=\"8\"> " + shown + "';"));
    EXPECT_THAT(f.clock_times,
                HasSubstr("// Set Clock 1 (O'Brien \"Q\" \\x3Cb\\x3E&amp;\\x3C/b\\x3E \\\\ \\x3C/script\\x3E"
                          "\\x3Cscript\\x3Ex=1\\x3C/script\\x3E\\n_XxX_)\r\n"));
    EXPECT_THAT(f.clock_times, HasSubstr("Current&nbsp;location:<BR>" + shown + ",&nbsp;&lt;i&gt;Land&lt;/i&gt;&#39;s<BR>"));

    // Nothing of a name can end a script element or a line of the script.
    const std::string script = f.clock_attribs + f.clock_times;
    EXPECT_THAT(script, Not(HasSubstr("</script")));
    EXPECT_THAT(script, Not(HasSubstr("<script")));
    EXPECT_THAT(script, Not(HasSubstr("\n_XxX_")));
}

TEST_F(PageBuilderTest, WritesScriptNumbersWithAPointUnderACommaLocale)
{
    ScopedNumericLocale comma(kCommaLocale);
    ASSERT_TRUE(comma.ok()) << kCommaLocale << " is not installed (scripts/install-deps adds it)";
    const std::locale previous = std::locale::global(std::locale(kCommaLocale));
    onScreen(1920, 1080);
    setRows({placeRow(0, "Here", 5.5, 22.57, 88.36, 1101, 646), placeRow(1, "There", 0.0, 51.5, -0.13, 1761, 370)});
    const PageFragments f = build();
    std::locale::global(previous);

    EXPECT_THAT(f.clock_times, HasSubstr("\r\ndiffFromGMT=5.5;\r\n"));
    EXPECT_THAT(f.clock_pos, HasSubstr("style=\"left: 1917px; top: 302px\""));
    EXPECT_TRUE(std::regex_search(f.clock_times, std::regex(R"(tmpNowMinutes < \d+\.0\))"))) << "sun minutes";
    EXPECT_THAT(f.clock_times, Not(HasSubstr(",0")));
}

TEST(FillTemplate, ReplacesTheFirstOccurrenceOfEachPlaceholderOnly)
{
    const PageFragments fragments{"DEFS", "ATTRIBS", "TIMES", "POS"};
    struct Case {
        const char* name;
        std::string page;
        std::string expected;
    };
    const Case cases[] = {
        {"all_four", "<clock_defs></clock_defs>|<clock_attribs></attribs>|<clock_times></clock_times>|"
                     "<clock_pos></clock_pos>",
         "DEFS|ATTRIBS|TIMES|POS"},
        {"doubled_pos_keeps_the_second", "<clock_pos></clock_pos>|<clock_pos></clock_pos>",
         "POS|<clock_pos></clock_pos>"},
        {"matching_attribs_closing_tag_is_not_the_placeholder",
         "<clock_defs></clock_defs>|<clock_attribs></clock_attribs>|<clock_times></clock_times>|"
         "<clock_pos></clock_pos>",
         "DEFS|<clock_attribs></clock_attribs>|TIMES|POS"},
        {"missing_ones_are_no_error", "<html></html>", "<html></html>"},
    };
    for (const Case& c : cases) {
        std::string page = c.page;
        fillTemplate(page, fragments);
        EXPECT_EQ(page, c.expected) << c.name;
    }
}

TEST_F(PageBuilderTest, FillsTheTemplatesPlaceholdersInOrder)
{
    // A declarations placeholder closed like the others is not ours: no declarations, the rest is filled.
    setRows({placeRow(0, "Here", 0.0), placeRow(1, "There", 1.0)});
    m_pageText = "<style><clock_defs></clock_defs></style><script><clock_attribs></clock_attribs>"
                 "function f(){<clock_times></clock_times>}</script><body><clock_pos></clock_pos><clock_pos></clock_pos>";
    PageContext page = context();
    BuildPageContents(page, m_screen);
    EXPECT_THAT(m_pageText, HasSubstr("<clock_attribs></clock_attribs>"));
    EXPECT_THAT(m_pageText, Not(HasSubstr("var Clock1")));
    EXPECT_THAT(m_pageText, HasSubstr("<style>#bglayer"));
    EXPECT_THAT(m_pageText, HasSubstr("function f(){// Set Clock 1 (There)"));
    EXPECT_THAT(m_pageText, HasSubstr("\"Clock1\""));
    EXPECT_EQ(m_pageText.substr(m_pageText.size() - 23), "<clock_pos></clock_pos>");
}

TEST_F(PageBuilderTest, TakesScreenAndVisibleCountFromThePipelinesValues)
{
    struct Case {
        std::int32_t width, height;
    };
    for (const Case c : {Case{1920, 1080}, Case{1366, 768}, Case{1280, 1024}, Case{1600, 1200}, Case{640, 480}}) {
        onScreen(c.width, c.height);
        setRows({placeRow(0, "Here", 0.0), placeRow(4, "Four", 1.0), placeRow(2, "Two", 1.0)});
        PageContext page = context();
        const PageScreen screen = pageScreenFromContext(page);
        EXPECT_EQ(screen.screen, (ScreenSize{c.width, c.height})) << c.width << "x" << c.height;
        EXPECT_EQ(screen.visibleCount, 4);
        EXPECT_EQ(&m_cursor.current(), &m_cursor.rows().front()) << "the walk is back at the first row";
    }
}

TEST_F(PageBuilderTest, IsThePipelinesPageStep)
{
    setRows({placeRow(0, "Here", 0.0, 51.5, -0.13, 761, 370), placeRow(1, "There", 1.0, 48.0, 2.0, 770, 390)});
    m_pageText = "<clock_defs></clock_defs><clock_attribs></attribs><clock_times></clock_times><clock_pos></clock_pos>";
    DefaultUpdateSteps steps([](const std::string&) {});
    PageContext page = context();
    steps.buildPageContents(page);
    EXPECT_THAT(m_pageText, Not(HasSubstr("<clock_")));
    EXPECT_THAT(m_pageText, HasSubstr("#sidebarleft {position:absolute; left:0px;"));
    EXPECT_THAT(m_pageText, HasSubstr("#Clock0 {position:absolute; width:100px; height:50px; z-index:3;"));
}

} // namespace
} // namespace orbiclock
