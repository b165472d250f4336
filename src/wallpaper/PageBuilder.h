#pragma once

#include "wallpaper/BackgroundLayout.h"
#include "wallpaper/PageFragments.h"

#include <cstdint>
#include <string>

namespace orbiclock {

struct LocationRow;
struct PageContext;

/// What the page needs besides the pipeline's values: the primary screen, read again for the page, and
/// the number of places shown besides the current one (the main window's count spinner).
struct PageScreen {
    ScreenSize screen;
    std::int32_t visibleCount = 0;
};

/// The placeholders the template holds for the four fragments, in the order they are filled.
namespace placeholder {
inline constexpr const char* kClockDefs = "<clock_defs></clock_defs>";
inline constexpr const char* kClockAttribs = "<clock_attribs></attribs>";
inline constexpr const char* kClockTimes = "<clock_times></clock_times>";
inline constexpr const char* kClockPos = "<clock_pos></clock_pos>";
} // namespace placeholder

/// Builds the page: the background layer, one clock per row with a name (walking `page.locations` from
/// its first row to its end), the two pairs of day/night layers on screens at least 1600 pixels wide,
/// the sidebars on screens wider than 1600, and puts the four fragments into `page.pageText`.
/// A failing sun computation only blanks that event; errors of the table access propagate.
void BuildPageContents(PageContext& page, const PageScreen& screen);

/// Appends the clock of one place to the four fragments: its style rule, declarations, tick statements
/// (none for the current place, number 0) and element. For the current place with a map position it
/// also adds the location box "Clock000". Sets `page.gmtLocation` to the place for its sun events.
void AddClock(PageFragments& fragments, const LocationRow& row, PageContext& page, const PageScreen& screen);

/// Replaces the first occurrence of each fragment placeholder in `pageText`, in the order defs,
/// attribs, times, pos; each search runs over the text the previous replacement left. A missing
/// placeholder is no error, and a second occurrence stays as it is.
void fillTemplate(std::string& pageText, const PageFragments& fragments);

/// The screen and visible count as far as the pipeline's values tell them: the screen from the
/// background's size and centring offsets (exact for even screen sizes), the visible count as the
/// highest `IDX` among the visible rows. Moves `page.locations` to its first row.
PageScreen pageScreenFromContext(PageContext& page);

} // namespace orbiclock
