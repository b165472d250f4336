// The wallpaper as it looks: the page of a 1920 × 1080 screen is built through the update pipeline at a
// fixed December instant, headless Chromium takes a picture of it with its clock fixed at the same
// instant, and a few pixels of the picture are compared with what the sun and the map call for: the
// day/night band lies under the right land, the sea stays sea, and every sampled place's marker sits on
// its city. Pixels are compared with a small tolerance, never against a stored image.

#include "astro/Clock.h"
#include "astro/DateTime.h"
#include "astro/MapProjection.h"
#include "wallpaper/BackgroundLayout.h"
#include "wallpaper/TextFiles.h"
#include "wallpaper/UpdatePipeline.h"
#include "../DecodedGif.h"
#include "../PageTestSupport.h"
#include "HeadlessChromium.h"
#include "support/ShippedPlaces.h"
#include "support/QuietUpdateHost.h"

#include <QColor>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orbiclock {
namespace {

namespace fs = std::filesystem;

constexpr ScreenSize kScreen{1920, 1080};

struct Rgb {
    int r, g, b;
};

// The map's own colours: the background picture's sea, and the solid day/night layer that shows
// through its transparent land.
constexpr Rgb kSea{18, 34, 48};
constexpr Rgb kDay{92, 72, 36};
constexpr Rgb kNight{14, 19, 79};
constexpr Rgb kMapColours[] = {kSea, kDay, kNight};
constexpr int kColourTolerance = 8; // per channel

int distance(Rgb a, Rgb b)
{
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

std::string text(Rgb c)
{
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ")";
}

Rgb pixelAt(const QImage& image, int x, int y)
{
    const QColor c = image.pixelColor(x, y);
    return {c.red(), c.green(), c.blue()};
}


// ---- What the picture should show --------------------------------------------------------------------

enum class Expect { Sea, Day, Night };

struct SamplePoint {
    const char* name;
    double latitude, longitude;
    Expect expect;
};

// At 21 December 2024 12:00 UTC the sun stands over 23.4°S and about 0.4°W (12:00 UTC minus the
// equation of time, +1.7 minutes). At 40°N the sun sets about 16:35 local solar time and twilight ends
// about 17:10, so the pair at 40°N brackets the evening edge of the band within half an hour on each
// side: a band shifted by an hour either way darkens the first or lights the second. Every point lies
// on plain land or sea, away from the coastlines, the dotted lines and the clock labels (checked below).
const SamplePoint kSamplePoints[] = {
    {"subsolar_longitude_Ghana", 8.0, -0.4, Expect::Day},
    {"Sahara", 23.0, 10.0, Expect::Day},
    {"Kasai", -8.0, 24.0, Expect::Day},
    {"Arabia", 23.0, 47.0, Expect::Day},
    {"Brazil_morning", -12.0, -45.0, Expect::Day},
    {"Karakum_half_an_hour_before_sunset", 40.0, 61.7, Expect::Day},
    {"Taklamakan_half_an_hour_after_dusk", 40.0, 85.4, Expect::Night},
    {"Qinghai_after_dusk", 33.0, 99.0, Expect::Night},
    {"central_Siberia", 58.0, 105.0, Expect::Night},
    {"Australia_evening", -25.0, 135.0, Expect::Night},
    {"Chukotka_antimeridian", 66.0, 172.0, Expect::Night},
    {"Wisconsin_before_dawn", 45.0, -90.0, Expect::Night},
    {"open_Pacific", -20.0, -140.0, Expect::Sea},
    {"South_Atlantic", -30.0, -15.0, Expect::Sea},
};

Rgb colourOf(Expect e)
{
    return e == Expect::Sea ? kSea : e == Expect::Day ? kDay : kNight;
}

const char* nameOf(Expect e)
{
    return e == Expect::Sea ? "sea" : e == Expect::Day ? "day" : "night";
}

/// Places whose marker is looked for; each stands clear of its neighbours' labels.
const char* const kMarkedPlaces[] = {"Honolulu", "Reykjavik", "Nairobi", "Buenos Aires", "Tokyo", "Lima", "Kabul"};

// ---- The fixture --------------------------------------------------------------------------------------

class MapScreenshot : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (::access(browsertest::kChromium, X_OK) != 0)
            return; // each test reports it
        char pattern[] = "/tmp/orbiclock-shot-XXXXXX";
        if (!::mkdtemp(pattern))
            return;
        s_dir = pattern;
        try {
            buildAndShoot();
        } catch (const std::exception& e) {
            s_error = e.what();
        }
    }
    static void TearDownTestSuite()
    {
        if (s_dir.empty())
            return;
        if (s_keep) {
            std::printf("The page and its picture are kept in %s\n", s_dir.c_str());
            return;
        }
        std::error_code ignored;
        fs::remove_all(s_dir, ignored);
    }
    void SetUp() override
    {
        if (::access(browsertest::kChromium, X_OK) != 0)
            FAIL() << browsertest::kChromium << " is missing: run scripts/install-deps (package chromium)";
        ASSERT_TRUE(s_error.empty()) << s_error;
        ASSERT_FALSE(s_shot.isNull()) << "no picture";
    }
    void TearDown() override
    {
        if (HasFailure())
            s_keep = true;
    }

    /// Screen position of a point of the reference map.
    static int screenX(int mapX) { return mapX + s_background.left; }
    static int screenY(int mapY) { return mapY + s_background.top; }

    static void buildAndShoot();

    static inline fs::path s_dir;
    static inline std::string s_error;
    static inline bool s_keep = false;
    static inline QImage s_shot;
    static inline BackgroundLayout s_background;
    static inline std::vector<LocationRow> s_rows;
};

void MapScreenshot::buildAndShoot()
{
    // The instant: 21 December 2024 12:00 UTC; the current place is London, on UTC in winter.
    std::tm utc{};
    utc.tm_year = 2024 - 1900;
    utc.tm_mon = 11;
    utc.tm_mday = 21;
    utc.tm_hour = 12;
    const std::time_t instant = ::timegm(&utc);
    FixedClock clock(encodeDate(2024, 12, 21) + encodeTime(12, 0, 0, 0));

    // A fresh application folder: the template and every shipped picture, nothing the update writes.
    fs::create_directories(s_dir / "opt");
    const fs::path source(ORBICLOCK_SOURCE_DIR);
    fs::copy_file(source / "assets/Orbiclock_TEMPLATE.html", s_dir / "Orbiclock_TEMPLATE.html");
    for (const auto& entry : fs::directory_iterator(source / "assets/opt"))
        if (entry.path().extension() == ".gif")
            fs::copy_file(entry.path(), s_dir / "opt" / entry.path().filename());

    s_rows = testsupport::shippedPlaces();
    UpdateEnvironment environment;
    environment.appDir = s_dir;
    environment.clock = &clock;
    environment.screenSize = [] { return kScreen; };
    environment.overlay = screenBandFor(kScreen.width).overlay;
    testsupport::QuietUpdateHost host;
    DefaultUpdateSteps steps([](const std::string&) {});
    UpdatePipeline pipeline(environment, host, steps);
    pagetest::VectorCursor cursor(s_rows);
    pipeline.run(cursor);
    s_background = pipeline.background();

    const std::string page = browsertest::withFixedClock(readTextLinesCrLf(s_dir / "Orbiclock.html"), instant);
    writeFileAtomically(s_dir / "shot.html", page);
    const fs::path png = s_dir / "shot.png";
    const std::string command = browsertest::chromiumCommand("Europe/London", s_dir / "profile") +
                                " --hide-scrollbars --window-size=" + std::to_string(kScreen.width) + "," +
                                std::to_string(kScreen.height) + " --virtual-time-budget=3000 --screenshot=" +
                                png.string() + " file://" + (s_dir / "shot.html").string() + " >/dev/null 2>&1";
    const int status = browsertest::runCommand(command);
    if (status != 0 || !fs::exists(png))
        throw std::runtime_error("Chromium made no picture (status " + std::to_string(status) + "): " + command);
    s_shot = QImage(QString::fromStdString(png.string()));
    if (s_shot.isNull())
        throw std::runtime_error("cannot read " + png.string());
}

// ---- The cases --------------------------------------------------------------------------------------------

TEST_F(MapScreenshot, HasTheScreensSize)
{
    EXPECT_EQ(s_shot.width(), kScreen.width);
    EXPECT_EQ(s_shot.height(), kScreen.height);
    EXPECT_EQ(s_background.left, 160);
    EXPECT_EQ(s_background.top, -60);
}

TEST_F(MapScreenshot, BandAndSeaLieWhereTheSunAndTheMapPutThem)
{
    const testing::DecodedGif map = testing::decodeGif(s_dir / "opt" / s_background.file);
    ASSERT_TRUE(map.transparentIndex.has_value()) << s_background.file << " has no transparent land";
    for (const SamplePoint& p : kSamplePoints) {
        const int mapX = LongitudeToMapX(p.longitude);
        const int mapY = LatitudeToMapY(p.latitude);

        // The point's premise: land or sea in the background picture, in a 7 × 7 square all alike,
        // and no clock label over it (a clock's element is 100 × 50 pixels from (PosX - 4, PosY - 8);
        // the current place's box stands at (531, 202) and may run wider).
        const bool wantLand = p.expect != Expect::Sea;
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx)
                ASSERT_EQ(map.index(mapX + dx, mapY + dy) == *map.transparentIndex, wantLand)
                    << p.name << ": the map at (" << mapX + dx << ", " << mapY + dy << ") is not "
                    << (wantLand ? "land" : "sea");
        for (const LocationRow& row : s_rows) {
            const bool covered = mapX >= row.PosX - 8 && mapX <= row.PosX + 110 && mapY >= row.PosY - 12 &&
                                 mapY <= row.PosY + 46;
            ASSERT_FALSE(covered) << p.name << " lies under the label of " << row.name_City;
        }
        ASSERT_FALSE(mapX >= 520 && mapX <= 700 && mapY >= 190 && mapY <= 270) << p.name << " lies under the location box";

        // The picture, in a 3 × 3 square; the pixel farthest from the colour is reported.
        Rgb worst = colourOf(p.expect);
        int worstX = 0, worstY = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int x = screenX(mapX) + dx;
                const int y = screenY(mapY) + dy;
                const Rgb seen = pixelAt(s_shot, x, y);
                if (distance(seen, colourOf(p.expect)) > distance(worst, colourOf(p.expect))) {
                    worst = seen;
                    worstX = x;
                    worstY = y;
                }
            }
        EXPECT_LE(distance(worst, colourOf(p.expect)), kColourTolerance)
            << p.name << " should be " << nameOf(p.expect) << " " << text(colourOf(p.expect)) << ", screen ("
            << worstX << ", " << worstY << ") is " << text(worst);
    }
}

/// The 8 × 8 picture of a place marker; nullopt marks its transparent pixels.
struct MarkerPicture {
    const char* file;
    std::vector<std::optional<Rgb>> pixels; ///< row by row
};

std::vector<MarkerPicture> markerPictures(const fs::path& optDir)
{
    std::vector<MarkerPicture> pictures;
    for (const char* file : {"dotDay.gif", "dotTwillight.gif", "dotNight.gif"}) {
        const testing::DecodedGif gif = testing::decodeGif(optDir / file);
        if (gif.width != 8 || gif.height != 8)
            throw std::runtime_error(std::string(file) + " is not 8 × 8");
        MarkerPicture picture{file, {}};
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                if (gif.transparentIndex && gif.index(x, y) == *gif.transparentIndex) {
                    picture.pixels.emplace_back();
                    continue;
                }
                const std::uint32_t c = gif.rgb(x, y);
                picture.pixels.push_back(Rgb{static_cast<int>(c >> 16 & 0xFF), static_cast<int>(c >> 8 & 0xFF),
                                             static_cast<int>(c & 0xFF)});
            }
        pictures.push_back(std::move(picture));
    }
    return pictures;
}

/// Whether the marker's opaque pixels all show at (left, top) of the picture.
bool showsAt(const QImage& shot, const MarkerPicture& marker, int left, int top)
{
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const std::optional<Rgb>& want = marker.pixels[static_cast<std::size_t>(y * 8 + x)];
            if (want && distance(pixelAt(shot, left + x, top + y), *want) > kColourTolerance)
                return false;
        }
    return true;
}

TEST_F(MapScreenshot, EveryMarkerSitsOnItsCity)
{
    const std::vector<MarkerPicture> markers = markerPictures(s_dir / "opt");
    for (const char* name : kMarkedPlaces) {
        const auto row = std::find_if(s_rows.begin(), s_rows.end(), [&](const LocationRow& r) { return r.name_City == name; });
        ASSERT_NE(row, s_rows.end()) << name;
        const int cityX = screenX(row->PosX);
        const int cityY = screenY(row->PosY);

        // The marker stands left of the name on the label's first line, its lower middle on the city
        // like a pin's head; it is looked for, whole, in a square well larger than itself.
        struct Found {
            const char* file;
            int left, top;
        };
        std::vector<Found> found;
        for (int top = cityY - 24; top <= cityY + 16; ++top)
            for (int left = cityX - 24; left <= cityX + 16; ++left)
                for (const MarkerPicture& marker : markers)
                    if (showsAt(s_shot, marker, left, top))
                        found.push_back({marker.file, left, top});
        ASSERT_EQ(found.size(), 1u) << name << ": markers found near screen (" << cityX << ", " << cityY << ")";
        EXPECT_NEAR(found[0].left + 4, cityX, 2) << name << ": " << found[0].file << " at left " << found[0].left;
        EXPECT_NEAR(found[0].top + 8, cityY, 2) << name << ": " << found[0].file << " at top " << found[0].top;
    }
}

} // namespace
} // namespace orbiclock
