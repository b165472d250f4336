// Draws the shipped map pictures from the land polygons in data/natural-earth-land-50m.txt, placing every
// vertex with the program's own map projection, so that the pictures and the program agree pixel for
// pixel on where a place lies.
//
//   MakeMapArtwork <land rings file> <output folder>
//
// writes, in the output folder:
//   1600_background.gif, 1200_background.gif, 1024_background.gif, 800_background.gif
//       the wallpaper's map at the scales 1, 0.75, 0.64 and 0.5 of the 1600 × 1200 reference map: opaque
//       dark sea, transparent land (pure green) through which the day/night band behind the map shows,
//       crisp light coastlines and a faint dotted graticule on the sea;
//   1920_background_sidebars.gif
//       the 160 × 1200 strips beside the map on screens wider than 1600, plain sea;
//   world_reference.gif
//       the 1600 × 1200 reference map of the location dialog: grey coastlines on a blue field.

#include "astro/MapProjection.h"
#include "wallpaper/Bitmap32.h"
#include "wallpaper/TransparentGif.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace orbiclock;

struct GeoPoint {
    double lonDeg;
    double latDeg;
};
using GeoRing = std::vector<GeoPoint>;

/// A ring vertex on a picture, in pixels (continuous: pixel x covers [x, x + 1)).
struct MapPoint {
    double x;
    double y;
};

struct Palette {
    Pixel32 sea;
    Pixel32 land;
    Pixel32 coast;
    Pixel32 graticule;
    bool fillLand;
};

// The wallpaper: a dark slate sea that neither the day brown nor the night blue of the band is mistaken
// for, and coastlines light enough to stay sharp against both and dim enough not to compete with the
// clocks' yellow, amber and light grey.
constexpr Palette kWallpaper{makePixel(18, 34, 48), makePixel(0, 255, 0), makePixel(150, 168, 176),
                             makePixel(44, 66, 84), true};
// The location dialog: grey coastlines on a blue field.
constexpr Palette kReference{makePixel(24, 64, 144), makePixel(24, 64, 144), makePixel(200, 200, 200),
                             makePixel(56, 96, 176), false};

std::vector<GeoRing> readRings(const std::filesystem::path& file)
{
    std::ifstream in(file);
    if (!in)
        throw std::runtime_error("cannot open " + file.string());
    std::vector<GeoRing> rings;
    std::string line;
    int lineNumber = 0;
    std::size_t pending = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        if (pending == 0) {
            char tag = 0;
            if (!(fields >> tag >> pending) || tag != 'R' || pending < 3)
                throw std::runtime_error(file.string() + ":" + std::to_string(lineNumber) + ": expected \"R <count>\"");
            rings.emplace_back();
            continue;
        }
        GeoPoint p{};
        if (!(fields >> p.lonDeg >> p.latDeg) || std::fabs(p.lonDeg) > 180 || std::fabs(p.latDeg) > 90)
            throw std::runtime_error(file.string() + ":" + std::to_string(lineNumber) + ": expected a point");
        rings.back().push_back(p);
        --pending;
    }
    if (pending != 0)
        throw std::runtime_error(file.string() + ": the last ring is cut short");
    return rings;
}

/// The picture position of a reference-map pixel at the given scale: its centre, scaled.
MapPoint onPicture(std::int32_t referenceX, std::int32_t referenceY, double scale)
{
    return {(referenceX + 0.5) * scale, (referenceY + 0.5) * scale};
}

MapPoint project(GeoPoint p, double scale)
{
    return onPicture(LongitudeToMapX(p.lonDeg), LatitudeToMapY(p.latDeg), scale);
}

/// An edge along the 180° cut or the pole closure is no coastline.
bool isCut(GeoPoint a, GeoPoint b)
{
    return (std::fabs(a.lonDeg) == 180 && std::fabs(b.lonDeg) == 180) || (a.latDeg <= -89.99 && b.latDeg <= -89.99);
}

/// Land mask by even-odd filling of all rings, sampled at pixel centres.
std::vector<std::uint8_t> landMask(const std::vector<GeoRing>& rings, double scale, std::int32_t width,
                                   std::int32_t height)
{
    std::vector<std::vector<double>> crossings(static_cast<std::size_t>(height));
    for (const GeoRing& ring : rings) {
        for (std::size_t i = 0; i < ring.size(); ++i) {
            MapPoint a = project(ring[i], scale);
            MapPoint b = project(ring[(i + 1) % ring.size()], scale);
            if (a.y == b.y)
                continue;
            if (a.y > b.y)
                std::swap(a, b);
            // Rows whose centre y + 0.5 lies in [a.y, b.y).
            const auto first = static_cast<std::int32_t>(std::max(0.0, std::ceil(a.y - 0.5)));
            const auto last = static_cast<std::int32_t>(std::min<double>(height, std::ceil(b.y - 0.5)));
            for (std::int32_t r = first; r < last; ++r) {
                const double t = (r + 0.5 - a.y) / (b.y - a.y);
                crossings[static_cast<std::size_t>(r)].push_back(a.x + t * (b.x - a.x));
            }
        }
    }
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    for (std::int32_t r = 0; r < height; ++r) {
        auto& xs = crossings[static_cast<std::size_t>(r)];
        std::sort(xs.begin(), xs.end());
        for (std::size_t k = 0; k + 1 < xs.size(); k += 2) {
            // Pixels whose centre x + 0.5 lies in [xs[k], xs[k + 1]).
            const auto from = static_cast<std::int32_t>(std::max(0.0, std::ceil(xs[k] - 0.5)));
            const auto to = static_cast<std::int32_t>(std::min<double>(width, std::ceil(xs[k + 1] - 0.5)));
            for (std::int32_t x = from; x < to; ++x)
                mask[static_cast<std::size_t>(r) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = 1;
        }
    }
    return mask;
}

void plot(Bitmap32& bitmap, std::int32_t x, std::int32_t y, Pixel32 colour)
{
    if (x >= 0 && x < bitmap.width() && y >= 0 && y < bitmap.height())
        bitmap.row(y)[x] = colour;
}

/// A one-pixel line between the pixels that hold a and b (Bresenham).
void drawLine(Bitmap32& bitmap, MapPoint a, MapPoint b, Pixel32 colour)
{
    auto x0 = static_cast<std::int32_t>(std::floor(a.x));
    auto y0 = static_cast<std::int32_t>(std::floor(a.y));
    const auto x1 = static_cast<std::int32_t>(std::floor(b.x));
    const auto y1 = static_cast<std::int32_t>(std::floor(b.y));
    const std::int32_t dx = std::abs(x1 - x0);
    const std::int32_t dy = -std::abs(y1 - y0);
    const std::int32_t sx = x0 < x1 ? 1 : -1;
    const std::int32_t sy = y0 < y1 ? 1 : -1;
    std::int32_t error = dx + dy;
    for (;;) {
        plot(bitmap, x0, y0, colour);
        if (x0 == x1 && y0 == y1)
            break;
        const std::int32_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

/// Dotted parallels (equator, tropics, polar circles) and meridians every 30°, on the sea only.
void drawGraticule(Bitmap32& bitmap, const std::vector<std::uint8_t>& land, double scale, Pixel32 colour)
{
    const auto seaAt = [&](std::int32_t x, std::int32_t y) {
        return land[static_cast<std::size_t>(y) * static_cast<std::size_t>(bitmap.width()) + static_cast<std::size_t>(x)] == 0;
    };
    const double west = onPicture(LongitudeToMapX(-180), 0, scale).x;
    const double east = onPicture(LongitudeToMapX(180), 0, scale).x;
    const double top = onPicture(0, LatitudeToMapY(85), scale).y;
    const double bottom = onPicture(0, LatitudeToMapY(-80), scale).y;
    for (const double latDeg : {66.56, 23.44, 0.0, -23.44, -66.56}) {
        const auto y = static_cast<std::int32_t>(std::floor(onPicture(0, LatitudeToMapY(latDeg), scale).y));
        for (auto x = static_cast<std::int32_t>(std::floor(west)); x <= static_cast<std::int32_t>(std::floor(east)); ++x)
            if (x % 4 == 0 && seaAt(x, y))
                bitmap.row(y)[x] = colour;
    }
    for (int lonDeg = -180; lonDeg <= 180; lonDeg += 30) {
        const auto x = static_cast<std::int32_t>(std::floor(onPicture(LongitudeToMapX(lonDeg), 0, scale).x));
        for (auto y = static_cast<std::int32_t>(std::floor(top)); y <= static_cast<std::int32_t>(std::floor(bottom)); ++y)
            if (y % 4 == 0 && y < bitmap.height() && seaAt(x, y))
                bitmap.row(y)[x] = colour;
    }
}

Bitmap32 drawMap(const std::vector<GeoRing>& rings, double scale, std::int32_t width, std::int32_t height,
                 const Palette& palette)
{
    Bitmap32 bitmap(width, height);
    bitmap.fill(palette.sea);
    const std::vector<std::uint8_t> land = landMask(rings, scale, width, height);
    if (palette.fillLand) {
        for (std::int32_t y = 0; y < height; ++y)
            for (std::int32_t x = 0; x < width; ++x)
                if (land[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] != 0)
                    bitmap.row(y)[x] = palette.land;
    }
    drawGraticule(bitmap, land, scale, palette.graticule);
    for (const GeoRing& ring : rings) {
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const GeoPoint a = ring[i];
            const GeoPoint b = ring[(i + 1) % ring.size()];
            if (!isCut(a, b))
                drawLine(bitmap, project(a, scale), project(b, scale), palette.coast);
        }
    }
    return bitmap;
}

void save(const Bitmap32& bitmap, const std::filesystem::path& file)
{
    SaveTransparentGif(bitmap, file);
    std::printf("%s  %d x %d\n", file.string().c_str(), bitmap.width(), bitmap.height());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <land rings file> <output folder>\n", argv[0]);
        return 2;
    }
    try {
        const std::vector<GeoRing> rings = readRings(argv[1]);
        const std::filesystem::path out = argv[2];
        std::filesystem::create_directories(out);

        struct Background {
            std::int32_t width;
            std::int32_t height;
        };
        for (const Background b : {Background{1600, 1200}, Background{1200, 900}, Background{1024, 768},
                                   Background{800, 600}}) {
            const double scale = b.width / 1600.0;
            save(drawMap(rings, scale, b.width, b.height, kWallpaper),
                 out / (std::to_string(b.width) + "_background.gif"));
        }

        Bitmap32 sidebar(160, kReferenceMapHeight);
        sidebar.fill(kWallpaper.sea);
        save(sidebar, out / "1920_background_sidebars.gif");

        save(drawMap(rings, 1.0, kReferenceMapWidth, kReferenceMapHeight, kReference), out / "world_reference.gif");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "MakeMapArtwork: %s\n", error.what());
        return 1;
    }
    return 0;
}
