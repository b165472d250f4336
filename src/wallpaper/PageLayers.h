#pragma once

#include "wallpaper/BackgroundLayout.h"
#include "wallpaper/PageFragments.h"

#include <cstdint>
#include <string>

namespace orbiclock {

/// One pair of day/night layers: two copies of an overlay image side by side that slide with the time.
struct DaylightLayerPair {
    const char* name;        ///< element name prefix: "Dotted" gives the elements Dotted1 and Dotted2
    const char* imageSuffix; ///< after the background width: "_background_dots.gif"
    std::int32_t zIndex;
};

inline constexpr DaylightLayerPair kDotsLayers{"Dotted", "_background_dots.gif", 1};
inline constexpr DaylightLayerPair kSolidLayers{"Solid", "_background_solid.gif", 0};

/// Starts the fragments with the background layer: its style rule in `clock_defs` and its element (the
/// image `appDirUrl` + "opt/" + the background file) in `clock_pos`; the two script fragments empty.
PageFragments backgroundLayerFragments(const BackgroundLayout& background, const std::string& appDirUrl);

/// Appends one pair of day/night layers: their rules, declarations, sliding statements and elements.
/// On every tick the statements put the first layer's left edge OverlayHourWidth − xpos pixels right of
/// the background's left edge, xpos being the universal time of day in hours times overlay width / 24
/// (the computer's time minus `currentOffsetHours`, written with one decimal), and the second layer
/// one overlay width to the right of the first when that edge is left of the background's, else one
/// overlay width to its left. Both keep the background's top edge.
void appendDaylightLayers(PageFragments& fragments, const DaylightLayerPair& pair, const BackgroundLayout& background,
                          OverlaySize overlay, double currentOffsetHours);

/// Appends the two 160-pixel sidebars of screens wider than 1600 pixels, directly left and right of
/// the 1600-pixel background: at S = (width − 1920) / 2 (truncated toward zero) and S + 1760.
void appendSidebars(PageFragments& fragments, ScreenSize screen, const BackgroundLayout& background,
                    const std::string& appDirUrl);

} // namespace orbiclock
