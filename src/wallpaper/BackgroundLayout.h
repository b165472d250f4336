#pragma once

#include <cstdint>
#include <string>

namespace orbiclock {

/// The primary screen's size in pixels. Injected so runs and tests do not depend on the display.
struct ScreenSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const ScreenSize&, const ScreenSize&) = default;
};

/// The background layer chosen for a screen: the image, its size and its position on the screen.
struct BackgroundLayout {
    std::string file;             ///< file name in the image folder, no directory
    std::int32_t width = 0;       ///< pixel size of the background layer
    std::int32_t height = 0;
    std::int32_t left = 0;        ///< offset from the screen's top left corner; may be negative
    std::int32_t top = 0;
    double mapScale = 0.0;        ///< width / 1600: the reference map's scale on this background
    friend bool operator==(const BackgroundLayout&, const BackgroundLayout&) = default;
};

/// Picks the background band for the screen width and centres the layer on the screen.
/// Example: 1920 × 1080 gives "1600_background.gif", 1600 × 1200 at (160, −60), scale 1.0.
BackgroundLayout chooseBackground(ScreenSize screen);

/// The day/night overlay image size, fixed once at start-up from the screen width.
struct OverlaySize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const OverlaySize&, const OverlaySize&) = default;
};

/// Overlay size and default visible count (0: all rows) for a screen width.
struct ScreenBand {
    OverlaySize overlay;
    std::int32_t defaultMaxNumLocs = 0; ///< 0 means "the spinner's maximum"
};

/// The start-up band of a screen width: 1390 × 1200 from 1600, 1100 × 900 from 1200, 890 × 768 from 1024,
/// 695 × 600 below.
ScreenBand screenBandFor(std::int32_t screenWidth) noexcept;

} // namespace orbiclock
