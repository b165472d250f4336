// The generated page in a real browser: headless Chromium runs the page with its clock fixed at an
// instant and in the current place's time zone; every clock must show the place's true local time (as
// the browser's own time-zone database gives it) in the colour the sun times call for, the day/night
// layers must sit where their statements put them, and hostile names must show as plain text.

#include "astro/CheckedMath.h"
#include "astro/Clock.h"
#include "astro/FixedDay.h"
#include "astro/Location.h"
#include "astro/MapProjection.h"
#include "astro/ProtoDate.h"
#include "astro/SummerTime.h"
#include "locations/LocationRow.h"
#include "wallpaper/PageBuilder.h"
#include "wallpaper/PageContext.h"
#include "wallpaper/PageNumbers.h"
#include "wallpaper/TextFiles.h"
#include "wallpaper/UpdatePipeline.h"
#include "../PageTestSupport.h"
#include "support/ShippedPlaces.h"
#include "support/QuietUpdateHost.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace orbiclock {
namespace {

namespace fs = std::filesystem;

constexpr const char* kChromium = "/usr/bin/chromium";

// ---- The shipped places and their time zones ------------------------------------------------------

/// The IANA zone of every shipped place; their stored rules express these zones' present rules.
const std::map<std::string, std::string> kZoneOfPlace = {
    {"London", "Europe/London"}, {"New York", "America/New_York"}, {"Los Angeles", "America/Los_Angeles"},
    {"Chicago", "America/Chicago"}, {"Denver", "America/Denver"}, {"Phoenix", "America/Phoenix"},
    {"Anchorage", "America/Anchorage"}, {"Honolulu", "Pacific/Honolulu"}, {"Utqiagvik", "America/Anchorage"},
    {"Toronto", "America/Toronto"}, {"Vancouver", "America/Vancouver"}, {"St. John's", "America/St_Johns"},
    {"Mexico City", "America/Mexico_City"}, {"Havana", "America/Havana"}, {"Bogot\xC3\xA1", "America/Bogota"},
    {"Lima", "America/Lima"}, {"Caracas", "America/Caracas"}, {"S\xC3\xA3o Paulo", "America/Sao_Paulo"},
    {"Buenos Aires", "America/Argentina/Buenos_Aires"}, {"Reykjavik", "Atlantic/Reykjavik"},
    {"Lisbon", "Europe/Lisbon"}, {"Paris", "Europe/Paris"}, {"Berlin", "Europe/Berlin"}, {"Rome", "Europe/Rome"},
    {"Troms\xC3\xB8", "Europe/Oslo"}, {"Longyearbyen", "Arctic/Longyearbyen"}, {"Athens", "Europe/Athens"},
    {"Helsinki", "Europe/Helsinki"}, {"Istanbul", "Europe/Istanbul"}, {"Moscow", "Europe/Moscow"},
    {"Murmansk", "Europe/Moscow"}, {"Lagos", "Africa/Lagos"}, {"Nairobi", "Africa/Nairobi"},
    {"Johannesburg", "Africa/Johannesburg"}, {"Dubai", "Asia/Dubai"}, {"Tehran", "Asia/Tehran"},
    {"Kabul", "Asia/Kabul"}, {"Karachi", "Asia/Karachi"}, {"Kolkata", "Asia/Kolkata"},
    {"Kathmandu", "Asia/Kathmandu"}, {"Dhaka", "Asia/Dhaka"}, {"Yangon", "Asia/Yangon"},
    {"Bangkok", "Asia/Bangkok"}, {"Norilsk", "Asia/Krasnoyarsk"}, {"Singapore", "Asia/Singapore"},
    {"Beijing", "Asia/Shanghai"}, {"Tokyo", "Asia/Tokyo"}, {"Darwin", "Australia/Darwin"},
    {"Adelaide", "Australia/Adelaide"}, {"Sydney", "Australia/Sydney"}, {"Hobart", "Australia/Hobart"},
    {"Auckland", "Pacific/Auckland"}, {"Chatham Islands", "Pacific/Chatham"},
    {"McMurdo Station", "Antarctica/McMurdo"}, {"Rothera", "Antarctica/Rothera"},
    {"Kiritimati", "Pacific/Kiritimati"},
};

std::vector<std::string> splitOn(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    if (!text.empty() && text.back() == separator)
        parts.emplace_back();
    return parts;
}

// ---- Time zones on this side ----------------------------------------------------------------------

/// Sets TZ for the life of the object and restores it afterwards.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const std::string& zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_previous = old;
        ::setenv("TZ", zone.c_str(), 1);
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;
    ~ScopedTimeZone()
    {
        if (m_previous)
            ::setenv("TZ", m_previous->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::optional<std::string> m_previous;
};

struct ZoneTime {
    std::tm local{};
    double offsetHours = 0.0;
};

/// The local time and UTC offset of an instant in a zone, from the system's time-zone database.
ZoneTime zoneTimeAt(const std::string& zone, std::time_t instant)
{
    ScopedTimeZone tz(zone);
    ZoneTime result;
    ::localtime_r(&instant, &result.local);
    result.offsetHours = static_cast<double>(result.local.tm_gmtoff) / 3600.0;
    return result;
}

DateTime dateTimeOf(const std::tm& local)
{
    return encodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           encodeTime(local.tm_hour, local.tm_min, local.tm_sec, 0);
}

// ---- What the clocks should show --------------------------------------------------------------------

enum class Light { Night, Twilight, Day };

const char* nameOf(Light light)
{
    return light == Light::Night ? "night" : light == Light::Twilight ? "twilight" : "day";
}

struct LightLook {
    const char* colour;
    const char* marker;
};

LightLook lookOf(Light light)
{
    switch (light) {
    case Light::Night: return {"rgb(192, 192, 192)", "opt/dotNight.gif"};
    case Light::Twilight: return {"rgb(240, 193, 1)", "opt/dotTwillight.gif"};
    case Light::Day: break;
    }
    return {"rgb(255, 255, 0)", "opt/dotDay.gif"};
}

/// The light at a place at minute `minuteOfDay` of its clock: night before dawn or after dusk,
/// twilight before sunrise or after sunset, else day. A missing event decides nothing in the place's
/// summer (midnight sun) and everything in its winter (polar night); between 55°S and 55°N nothing.
Light expectedLight(const LocationRow& row, double zoneHours, std::int32_t fixedDay, int month, int minuteOfDay)
{
    const TLocation place("GMT", row.Latitude, row.Longitude, 0.0, zoneHours);
    const double depression = TProtoDate::Angle(6, 0, 0);
    const auto guarded = [](auto compute) -> double {
        try {
            return compute();
        } catch (const std::exception&) {
            return 0.0;
        }
    };
    const std::array<double, 4> moments = {
        guarded([&] { return TProtoDate::Dawn(fixedDay, place, depression); }),
        guarded([&] { return TProtoDate::Sunrise(fixedDay, place); }),
        guarded([&] { return TProtoDate::Sunset(fixedDay, place); }),
        guarded([&] { return TProtoDate::Dusk(fixedDay, place, depression); }),
    };
    const bool northSummer = month >= 4 && month <= 9;
    const bool polarWinter = (row.Latitude > 55 && !northSummer) || (row.Latitude < -55 && northSummer);

    // Whether the place is before (morning events) or after (evening events) the event.
    const auto beyond = [&](int event) {
        const double moment = moments[static_cast<std::size_t>(event)];
        if (!(std::trunc(moment) > 0))
            return polarWinter;
        double fraction = moment - std::trunc(moment);
        const bool evening = event >= 2;
        if (evening && fraction < 0.25)
            fraction += 1.0;
        const int minute = roundHalfEvenToInt32(static_cast<long double>(fraction) * 1440.0L);
        return evening ? minuteOfDay > minute : minuteOfDay < minute;
    };
    if (beyond(0) || beyond(3))
        return Light::Night;
    if (beyond(1) || beyond(2))
        return Light::Twilight;
    return Light::Day;
}

// ---- Running the page --------------------------------------------------------------------------------


/// The real sun table and page steps; the images and the desktop are not needed for the page's script.
class PageOnlySteps final : public UpdateSteps {
public:
    explicit PageOnlySteps(PageScreen screen) : m_screen(screen) {}
    void writeSunTable(const fs::path& file, const Clock& clock, TLocation& gmtLocation) override
    {
        m_real.writeSunTable(file, clock, gmtLocation);
    }
    void buildPageContents(PageContext& page) override { BuildPageContents(page, m_screen); }
    void buildDaylightOverlays(const fs::path&, const BackgroundLayout&, OverlaySize) override {}
    void installWallpaper(const std::string&) override {}

private:
    DefaultUpdateSteps m_real{[](const std::string&) {}};
    PageScreen m_screen;
};

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void replaceAll(std::string& text, const std::string& what, const std::string& with)
{
    for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += with.size())
        text.replace(at, what.size(), with);
}

std::string percentDecoded(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

/// Runs Chromium headless on the page in the given time zone and returns the records the collector
/// wrote, each split into its decoded fields.
std::vector<std::vector<std::string>> runInChromium(const fs::path& page, const fs::path& profile,
                                                    const std::string& zone)
{
    std::string command = "TZ=" + zone + " timeout 120 " + kChromium + " --headless";
    if (::geteuid() == 0)
        command += " --no-sandbox"; // Chromium refuses to start its sandbox as root
    command += " --disable-gpu --disable-quic --no-first-run --disable-background-networking"
               " --disable-component-update --disable-sync --disable-extensions --mute-audio"
               " --user-data-dir=" + profile.string() + " --virtual-time-budget=4000 --dump-dom file://" +
               page.string() + " 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe)
        throw std::runtime_error("cannot start " + command);
    std::string dom;
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        dom.append(buffer, got);

    const std::string open = "<pre id=\"orbiclock-results\">";
    const std::size_t from = dom.find(open);
    const std::size_t to = dom.find("</pre>", from);
    if (from == std::string::npos || to == std::string::npos)
        throw std::runtime_error("no results in the page Chromium dumped (" + std::to_string(dom.size()) + " bytes)");
    std::vector<std::vector<std::string>> records;
    for (const std::string& line : splitOn(dom.substr(from + open.size(), to - from - open.size()), '\n')) {
        if (line.empty())
            continue;
        std::vector<std::string> fields;
        for (const std::string& field : splitOn(line, '\t'))
            fields.push_back(percentDecoded(field));
        records.push_back(fields);
    }
    return records;
}

// ---- The cases ------------------------------------------------------------------------------------------

struct Scenario {
    const char* name;
    const char* currentPlace; ///< the shipped place moved to the top of the list
    int year, month, day, hour, minute; ///< the instant, in UTC
    ScreenSize screen;
    bool hostileNames = false;
};

const Scenario kScenarios[] = {
    {"London_in_northern_summer_whole_hour", "London", 2024, 7, 15, 10, 20, {1920, 1080}},
    {"St_Johns_half_hour_behind_after_midnight", "St. John's", 2024, 7, 15, 2, 40, {1920, 1080}},
    {"Kathmandu_45_minutes_ahead_after_midnight", "Kathmandu", 2024, 1, 15, 18, 50, {1920, 1080}},
    {"Kolkata_half_hour_ahead_on_a_narrow_screen", "Kolkata", 2024, 3, 20, 6, 5, {1366, 768}},
    {"New_York_before_midnight_in_winter", "New York", 2024, 12, 21, 4, 55, {1920, 1080}},
    {"Sydney_in_southern_summer_on_a_wide_screen", "Sydney", 2024, 1, 15, 12, 47, {2560, 1440}},
    {"Chatham_13h45_ahead_in_southern_summer", "Chatham Islands", 2024, 1, 15, 9, 14, {1920, 1080}},
    {"Honolulu_a_day_behind_Kiritimati", "Honolulu", 2024, 6, 21, 21, 30, {1920, 1080}},
    {"Adelaide_half_hour_in_southern_summer", "Adelaide", 2024, 12, 21, 13, 45, {1920, 1080}},
    {"Buenos_Aires_negative_without_summer_time", "Buenos Aires", 2024, 9, 2, 23, 30, {1600, 1200}},
    {"Longyearbyen_polar_day", "Longyearbyen", 2024, 6, 21, 12, 0, {1920, 1080}},
    {"Longyearbyen_polar_night", "Longyearbyen", 2024, 12, 21, 12, 0, {1920, 1080}},
    {"hostile_names", "London", 2024, 7, 15, 10, 20, {1920, 1080}, true},
};

/// A name that would run script, end a string or a comment, or add markup if it were not escaped.
const std::string kHostileName = "O'Hare \"Q\" \\'+(window.orbiclockPwned=1)+' \"+(window.orbiclockPwned=1)+\" "
                                 "<img src=x onerror=\"window.orbiclockPwned=1\"> &amp; </script><script>"
                                 "window.orbiclockPwned=1</script>\xE2\x80\xA8window.orbiclockPwned=1//\n_XxX_ end";

void PrintTo(const Scenario& s, std::ostream* os)
{
    *os << s.name;
}

class PageInBrowser : public ::testing::TestWithParam<Scenario> {
protected:
    void SetUp() override
    {
        if (::access(kChromium, X_OK) != 0)
            FAIL() << kChromium << " is missing: run scripts/install-deps (package chromium)";
        char pattern[] = "/tmp/orbiclock-page-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        if (m_dir.empty())
            return;
        if (HasFailure()) {
            std::printf("The page and Chromium's profile are kept in %s\n", m_dir.c_str());
            return;
        }
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }
    fs::path m_dir;
};

TEST_P(PageInBrowser, ShowsEveryPlacesTimeAndLight)
{
    const Scenario& s = GetParam();
    std::vector<LocationRow> rows = testsupport::shippedPlaces();
    ASSERT_EQ(rows.size(), 56u);

    // The chosen place becomes the current location (IDX 0); the first row takes its number.
    std::size_t chosen = 0;
    while (chosen < rows.size() && rows[chosen].name_City != s.currentPlace)
        ++chosen;
    ASSERT_LT(chosen, rows.size()) << s.currentPlace;
    std::swap(rows[0], rows[chosen]);
    std::swap(rows[0].IDX, rows[chosen].IDX);
    std::map<int, std::string> zones;
    for (const LocationRow& row : rows)
        zones[row.IDX] = kZoneOfPlace.at(row.name_City);
    if (s.hostileNames) {
        rows[0].name_City = kHostileName;
        rows[0].name_Country = "<b>Land</b> & 'Co' \\";
        LocationRow extra = rows[21];
        extra.IDX = 56;
        extra.name_City = kHostileName;
        zones[56] = zones[21];
        rows.push_back(extra);
    }
    std::sort(rows.begin(), rows.end(), [](const LocationRow& a, const LocationRow& b) { return a.IDX < b.IDX; });

    // The instant, and the computer's clock on the current place's time.
    std::tm utc{};
    utc.tm_year = s.year - 1900;
    utc.tm_mon = s.month - 1;
    utc.tm_mday = s.day;
    utc.tm_hour = s.hour;
    utc.tm_min = s.minute;
    const std::time_t instant = ::timegm(&utc);
    const std::string currentZone = zones.at(0);
    const ZoneTime here = zoneTimeAt(currentZone, instant);
    FixedClock clock(dateTimeOf(here.local));

    // Build the page through the update pipeline in a fresh application folder.
    fs::create_directories(m_dir / "opt");
    fs::copy_file(fs::path(ORBICLOCK_SOURCE_DIR) / "assets/Orbiclock_TEMPLATE.html", m_dir / "Orbiclock_TEMPLATE.html");
    for (const char* marker : {"dot.gif", "dot2.gif", "dotDay.gif", "dotTwillight.gif", "dotNight.gif"})
        fs::copy_file(fs::path(ORBICLOCK_SOURCE_DIR) / "assets/opt" / marker, m_dir / "opt" / marker);
    UpdateEnvironment environment;
    environment.appDir = m_dir;
    environment.clock = &clock;
    environment.screenSize = [&] { return s.screen; };
    environment.overlay = screenBandFor(s.screen.width).overlay;
    testsupport::QuietUpdateHost host;
    PageOnlySteps steps({s.screen, 55});
    UpdatePipeline pipeline(environment, host, steps);
    pagetest::VectorCursor cursor(rows);
    pipeline.run(cursor);

    // The page as the desktop would show it, with the test's clock before its script and the
    // collector at the end of its body.
    std::string page = readTextLinesCrLf(m_dir / "Orbiclock.html");
    std::string prelude = readFile(fs::path(ORBICLOCK_SOURCE_DIR) / "tests/wallpaper/browser/fixed-clock.js");
    replaceAll(prelude, "__INSTANT_MS__", std::to_string(static_cast<long long>(instant) * 1000));
    std::string collector = readFile(fs::path(ORBICLOCK_SOURCE_DIR) / "tests/wallpaper/browser/collect-clocks.js");
    std::string zoneMap = "{";
    for (const auto& [idx, zone] : zones)
        zoneMap += (zoneMap.size() > 1 ? "," : "") + jsonString(std::to_string(idx)) + ":" + jsonString(zone);
    replaceAll(collector, "__ZONES__", zoneMap + "}");
    replaceAll(collector, "__CURRENT_ZONE__", jsonString(currentZone));
    const std::size_t firstScript = page.find("<script");
    const std::size_t bodyEnd = page.rfind("</body>");
    ASSERT_NE(firstScript, std::string::npos);
    ASSERT_NE(bodyEnd, std::string::npos);
    page.insert(bodyEnd, "<pre id=\"orbiclock-results\"></pre>\r\n<script>\r\n" + collector + "</script>\r\n");
    page.insert(firstScript, "<script>\r\n" + prelude + "</script>\r\n");
    writeFileAtomically(m_dir / "page-under-test.html", page);

    const auto records = runInChromium(m_dir / "page-under-test.html", m_dir / "profile", currentZone);

    // The page itself.
    ASSERT_FALSE(records.empty());
    ASSERT_EQ(records[0].size(), 6u);
    EXPECT_EQ(records[0][0], "page");
    EXPECT_EQ(records[0][1], "BackCompat") << "the template must put the page into quirks mode";
    EXPECT_EQ(records[0][2], records[0][3]) << "Chromium did not take the time zone " << currentZone;
    EXPECT_EQ(records[0][4], "0") << "a place name ran script";
    EXPECT_EQ(records[0][5], "3") << "scripts in the page: the template's, the test clock and the collector";

    std::map<int, std::vector<std::string>> clocks;
    std::vector<std::string> box;
    std::map<std::string, std::vector<std::string>> layers;
    for (const auto& r : records) {
        if (r[0] == "clock" && r.size() == 9)
            clocks[std::stoi(r[1])] = r;
        else if (r[0] == "box" && r.size() == 5)
            box = r;
        else if (r[0] == "layer" && r.size() == 5)
            layers[r[1]] = r;
    }

    // Every place's clock.
    const std::int32_t today = FixedFromDateTime(truncToInt32(clock.now()));
    ASSERT_EQ(clocks.size(), rows.size() - 1);
    for (const LocationRow& row : rows) {
        if (row.IDX == 0)
            continue;
        const auto found = clocks.find(row.IDX);
        ASSERT_NE(found, clocks.end()) << row.name_City;
        const std::vector<std::string>& c = found->second;
        const std::string& shown = c[3];
        const std::string& trueTime = c[8];
        EXPECT_EQ(shown, trueTime) << row.name_City << " (" << zones[row.IDX] << "): clock shows " << shown
                                   << ", local time is " << trueTime;
        EXPECT_EQ(c[2], row.name_City) << "the name shows as typed";
        EXPECT_EQ(c[7], "2") << row.name_City << ": only the marker and the line break are markup";

        const std::size_t colon = trueTime.find(':');
        ASSERT_NE(colon, std::string::npos) << trueTime;
        const int minuteOfDay = std::stoi(trueTime.substr(0, colon)) * 60 + std::stoi(trueTime.substr(colon + 1));
        const double zoneHours = zoneTimeAt(zones[row.IDX], instant).offsetHours;
        const Light light = expectedLight(row, zoneHours, today, MonthFromDate(clock.now()), minuteOfDay);
        EXPECT_EQ(c[4], lookOf(light).colour) << row.name_City << " at " << trueTime << " should be " << nameOf(light);
        EXPECT_EQ(c[5], lookOf(light).marker) << row.name_City << " at " << trueTime;
        EXPECT_TRUE(c[6].rfind("dawn=", 0) == 0 && c[6].find(", dusk=") != std::string::npos)
            << row.name_City << " tooltip " << c[6];
    }

    // The current place's location box.
    ASSERT_FALSE(box.empty()) << "location box";
    EXPECT_EQ(box[1], rows[0].name_City + ", " + rows[0].name_Country);
    EXPECT_EQ(box[3], "rgb(0, 255, 0)");
    EXPECT_EQ(box[4], "5") << "the box holds its three BR and two NOBR elements only";

    // The day/night layers: where the sliding statements put them, from the computer's time.
    const BackgroundLayout background = chooseBackground(s.screen);
    if (s.screen.width < 1600) {
        EXPECT_TRUE(layers.empty()) << "no day/night layers below 1600 pixels";
        return;
    }
    const OverlaySize overlay = screenBandFor(s.screen.width).overlay;
    const double hourWidth = overlayHourWidth(overlay.width);
    const double diffFromGmt = std::stod(oneDecimalText(here.offsetHours));
    const double xpos = (here.local.tm_hour + here.local.tm_min / 60.0 - diffFromGmt) * (overlay.width / 24.0);
    const double first = hourWidth - xpos + background.left;
    const double second = hourWidth - xpos < 0 ? first + overlay.width : first - overlay.width;
    for (const char* id : {"Dotted1", "Dotted2", "Solid1", "Solid2"}) {
        ASSERT_TRUE(layers.count(id)) << id;
        const double expected = id[std::string(id).size() - 1] == '1' ? first : second;
        EXPECT_NEAR(std::stod(layers[id][2]), expected, 0.011) << id << " left";
        EXPECT_EQ(std::stod(layers[id][3]), background.top) << id << " top";
        EXPECT_EQ(layers[id][4], "1") << id << " shows its image";
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, PageInBrowser, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& param) { return std::string(param.param.name); });

} // namespace
} // namespace orbiclock
