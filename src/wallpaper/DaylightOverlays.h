#pragma once

#include "wallpaper/BackgroundLayout.h"
#include "wallpaper/Bitmap32.h"
#include "wallpaper/SunTableFile.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace orbiclock {

/// Which of the two day/night images PaintDaylightCurve paints.
enum class DaylightVariant : int {
    Dots = 0,  ///< dotted sunrise/sunset (yellow) and dawn/dusk (orange) curves, drawn in front of the map
    Solid = 1, ///< day, night and a twilight checkerboard, seen through the map's transparent parts
};

/// The colours of the overlay images. The fourth byte never reaches a GIF file.
namespace daylight_colour {
inline constexpr Pixel32 kBackground = makePixel(0, 255, 0);          ///< becomes transparent
inline constexpr Pixel32 kDay = makePixel(92, 72, 36, 255);
inline constexpr Pixel32 kNight = makePixel(14, 19, 79, 255);
inline constexpr Pixel32 kSunLine = makePixel(255, 255, 0, 0);        ///< sunrise and sunset dots
inline constexpr Pixel32 kTwilightLine = makePixel(255, 128, 0, 0);   ///< dawn and dusk dots
} // namespace daylight_colour

/// Paints one day/night image from the sun table onto `bitmap`, which the caller has filled with
/// daylight_colour::kBackground. The bitmap's W columns stand for one day: column j has the phase
/// (j − 699·mapScale) / W folded into [0, 1]; table line i (reference-map row firstY + i) paints bitmap
/// row Trunc((firstY + i − 1) · mapScale). The solid image paints every pixel of each row it reaches
/// (night outside dawn..dusk, day within sunrise..sunset, twilight between as a checkerboard by the
/// parity of i + j); the dots image marks, on every fifth line between reference rows 196 and 1022, the
/// columns whose phase lies within 1/W of an event, at least six columns apart. Rows that fall outside
/// the bitmap are left alone. Raises OrbiclockError "List index out of bounds (n)" when the table has
/// fewer lines than its first and last y call for, and RangeError when a row leaves 32 bits.
void PaintDaylightCurve(Bitmap32& bitmap, DaylightVariant variant, const SunTableContents& table, double mapScale);

/// One overlay image as a transparent GIF (encodeTransparentGif), painted as PaintDaylightCurve paints it
/// on a bitmap filled with daylight_colour::kBackground, but one row at a time: the image is never held
/// whole. Raises what PaintDaylightCurve and encodeTransparentGif raise, and RangeError for an empty size.
std::vector<std::uint8_t> encodeDaylightOverlay(DaylightVariant variant, const SunTableContents& table,
                                                double mapScale, OverlaySize overlay);

/// The overlay's file name in the image folder: the background width followed by
/// "_background_dots.gif" or "_background_solid.gif". Example: 1600, Solid → "1600_background_solid.gif".
std::string daylightOverlayFileName(std::int32_t backgroundWidth, DaylightVariant variant);

/// Paints both overlay images, overlay.width × overlay.height pixels, from appDir / "riseset.txt" and saves
/// them as transparent GIFs to appDir / "opt" / daylightOverlayFileName(backgroundWidth, …), the dots image
/// first. mapScale is backgroundWidth / 1600. Raises what ReadSunTable, PaintDaylightCurve and
/// SaveTransparentGif raise, and RangeError for an empty overlay size.
void BuildDaylightOverlays(const std::filesystem::path& appDir, std::int32_t backgroundWidth, double mapScale,
                           OverlaySize overlay);

class ChunksOnTwoThreads;

/// BuildDaylightOverlays in two halves, so the images can be painted and encoded while the caller does
/// other work. The constructor reads the sun table and starts one image on a worker thread; it raises
/// nothing of the build and writes nothing. save() does what is left on the calling thread, waits for
/// the worker and then saves the files and raises the errors exactly as BuildDaylightOverlays does.
/// Destroying a build that was not saved waits for the image the worker is on and writes nothing.
class DaylightOverlayBuild {
public:
    DaylightOverlayBuild(const std::filesystem::path& appDir, std::int32_t backgroundWidth, double mapScale,
                         OverlaySize overlay);
    DaylightOverlayBuild(const DaylightOverlayBuild&) = delete;
    DaylightOverlayBuild& operator=(const DaylightOverlayBuild&) = delete;
    ~DaylightOverlayBuild();

    /// Call once.
    void save();

private:
    enum class Job { Dots, Solid };
    void run(Job job) noexcept;

    struct EncodedImage {
        std::vector<std::uint8_t> bytes;
        std::exception_ptr error;
    };

    std::filesystem::path m_imageFolder;
    std::int32_t m_backgroundWidth;
    double m_mapScale;
    OverlaySize m_overlay;
    std::exception_ptr m_setupError; ///< an empty overlay size or an unreadable table
    SunTableContents m_table;
    EncodedImage m_images[2];                   ///< dots, solid
    std::unique_ptr<ChunksOnTwoThreads> m_work; // last: joined before what it uses goes
};

} // namespace orbiclock
