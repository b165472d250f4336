#pragma once

#include "wallpaper/ClockOffset.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace orbiclock {

/// The four sun events of a clock, in the order dawn, sunrise, sunset, dusk.
using SunEventTexts = std::array<std::string, 4>;

/// What one place's tick statements are made of.
struct ClockTickInput {
    std::int32_t number = 0;  ///< the clock number, the place's IDX (above 0)
    std::string cityName;     ///< `name_City` as stored
    ClockOffset offset;
    SunEventTexts sunMinutes; ///< minute-of-day texts or markers (FormatSunEventTime)
    std::string tooltip;      ///< "dawn=hh:nn, sunrise=hh:nn, sunset=hh:nn, dusk=hh:nn"
};

/// The style rule of a clock element: "#Clock<id> {position:absolute; width:100px; ... z-index:<z>; ...}".
std::string clockStyleRule(std::string_view id, std::int64_t zIndex);

/// The tick statements of one clock, each line followed by CR LF: the whole-hour lines when the offset
/// has no extra minutes, else the lines that add them (the half-hour layout, with the minutes
/// generalised), then the colour tests against the sun texts. On every tick the clock shows the
/// computer's time moved by the offset, and its colour and marker: grey "#C0C0C0" before dawn or
/// after dusk, amber "#F0C101" before sunrise or after sunset, else yellow "#FFFF00".
std::string clockTickStatements(const ClockTickInput& clock);

/// The tooltip of a clock's marker from the four treated sun moments, "--:--" for a missing one.
/// Example: "dawn=05:12, sunrise=05:48, sunset=20:31, dusk=21:07".
std::string sunTooltip(const std::array<double, 4>& moments);

/// The location box statements of the current place: the box's colour and its content (the current
/// place's name and country, and the four sun times as "h:nn" or "--:--"), each followed by CR LF.
std::string locationBoxStatements(std::string_view cityName, std::string_view countryName,
                                  const std::array<double, 4>& moments);

} // namespace orbiclock
