#include "wallpaper/PageBuilder.h"

#include "astro/CheckedMath.h"
#include "astro/Clock.h"
#include "astro/FixedDay.h"
#include "astro/Location.h"
#include "astro/LocationOffset.h"
#include "astro/ProtoDate.h"
#include "locations/LocationRow.h"
#include "wallpaper/ClockOffset.h"
#include "wallpaper/ClockScript.h"
#include "wallpaper/LocationRecord.h"
#include "wallpaper/PageContext.h"
#include "wallpaper/PageEscaping.h"
#include "wallpaper/PageLayers.h"
#include "wallpaper/PageNumbers.h"
#include "wallpaper/SunEventText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>

namespace orbiclock {
namespace {

constexpr std::int32_t kDaylightLayersMinWidth = 1600;
constexpr double kTwilightDepressionDeg = 6.0;

/// One sun computation, on its own: any failure, or a result that is no number, counts as no event.
template <typename Computation>
double guardedMoment(Computation computation)
{
    try {
        const double moment = computation();
        return std::isfinite(moment) ? moment : 0.0;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return 0.0;
    }
}

struct SunEvents {
    std::array<double, 4> moments{}; ///< treated moments: time of day, or -1.0 when missing
    SunEventTexts minutes;
};

/// Today's dawn, sunrise, sunset and dusk at the place, in the place's present clock time.
SunEvents sunEventsFor(const LocationRow& row, const TLocationRec& place, PageContext& page)
{
    const LocationOffset zone = ComputeLocationOffset(page.gmtRec, place, page.clock);
    TLocation& location = page.gmtLocation;
    location.Latitude = row.Latitude;
    location.Longitude = row.Longitude;
    location.Zone = static_cast<double>(static_cast<long double>(zone.Hours) +
                                        static_cast<long double>(zone.Minutes) / 60.0L);

    const DateTime now = page.clock.now();
    const std::int32_t day = FixedFromDateTime(truncToInt32(now));
    const double depression = TProtoDate::Angle(kTwilightDepressionDeg, 0, 0);

    SunEvents events;
    events.moments[0] = guardedMoment([&] { return TProtoDate::Dawn(day, location, depression); });
    events.moments[1] = guardedMoment([&] { return TProtoDate::Sunrise(day, location); });
    events.moments[2] = guardedMoment([&] { return TProtoDate::Sunset(day, location); });
    events.moments[3] = guardedMoment([&] { return TProtoDate::Dusk(day, location, depression); });

    FormatSunEventTime(events.moments[0], kDawnMarker, false, row.Latitude, now, events.minutes[0]);
    FormatSunEventTime(events.moments[1], kSunriseMarker, false, row.Latitude, now, events.minutes[1]);
    FormatSunEventTime(events.moments[2], kSunsetMarker, true, row.Latitude, now, events.minutes[2]);
    FormatSunEventTime(events.moments[3], kDuskMarker, true, row.Latitude, now, events.minutes[3]);
    return events;
}

std::string clockElement(std::int32_t number, long double x, long double y)
{
    return "<div id=\"Clock" + integerText(number) + "\" style=\"left: " + pixelText(x) + "px; top: " +
           pixelText(y) + "px\"></div>" + kCrLf;
}

std::string currentPlaceElement(const char* id, long double x, long double y, const std::string& appDirUrl)
{
    return std::string(" <div id=\"") + id + "\" style=\"left: " + pixelText(x) + "px; top: " + pixelText(y) +
           "px\">" + kCrLf + "    <img src=\"" + appDirUrl + "opt/dot2.gif\" width=\"8\" height=\"8\"></div>";
}

void replaceFirst(std::string& text, std::string_view what, const std::string& with)
{
    const std::size_t at = text.find(what);
    if (at != std::string::npos)
        text.replace(at, what.size(), with);
}

} // namespace

void AddClock(PageFragments& fragments, const LocationRow& row, PageContext& page, const PageScreen& screen)
{
    const TLocationRec place = locationRecFromRow(row);
    const std::int32_t number = row.IDX;
    const bool current = number == 0;
    const bool withLocationBox = current && page.currentPlaceOnMap;
    const BackgroundLayout& background = page.background;
    const long double scale = background.mapScale;

    const SunEvents sun = sunEventsFor(row, place, page);

    // Style rule. The current place lies above every other clock; its location box just above the map.
    fragments.clock_defs += kCrLf;
    if (withLocationBox) {
        fragments.clock_defs += clockStyleRule("0", static_cast<std::int64_t>(screen.visibleCount) + 2);
        fragments.clock_defs += kCrLf;
        fragments.clock_defs += clockStyleRule("000", 2);
    } else {
        fragments.clock_defs += clockStyleRule(integerText(number), static_cast<std::int64_t>(number) + 1);
    }

    // Declarations.
    const std::string clock = "Clock" + integerText(number);
    const ClockOffset offset = clockOffsetFor(ComputeLocationOffset(page.currentRec, place, page.clock));
    if (!fragments.clock_attribs.empty())
        fragments.clock_attribs += kCrLf;
    fragments.clock_attribs += "var " + clock + "OffsetX;" + kCrLf + "var " + clock + "OffsetY;" + kCrLf;
    fragments.clock_attribs += "var " + clock + "GMTOffset = " + integerText(offset.hours) + ";" + kCrLf;
    if (!current) {
        fragments.clock_attribs += "var " + clock + "City='<img src=\"opt/dot.gif\" width=\"8\" height=\"8\"> " +
                                   scriptStringEscaped(placeNameHtml(row.name_City)) + "';";
    } else {
        fragments.clock_attribs += "var " + clock + "City='<img src=\"opt/dot2.gif\" width=\"8\" height=\"8\"> ';";
        if (withLocationBox) {
            fragments.clock_attribs += "var Clock000City='<img src=\"opt/dot2.gif\" width=\"8\" height=\"8\"> ';";
            fragments.clock_times += locationBoxStatements(row.name_City, row.name_Country, sun.moments);
        }
    }

    // Tick statements.
    if (number > 0) {
        if (!fragments.clock_times.empty())
            fragments.clock_times += kCrLf;
        ClockTickInput tick;
        tick.number = number;
        tick.cityName = row.name_City;
        tick.offset = offset;
        tick.sunMinutes = sun.minutes;
        tick.tooltip = sunTooltip(sun.moments);
        fragments.clock_times += clockTickStatements(tick);
    }

    // Element.
    const long double x = (static_cast<long double>(row.PosX) - 4.0L) * scale + background.left;
    const long double y = (static_cast<long double>(row.PosY) - 8.0L) * scale + background.top;
    fragments.clock_pos += kCrLf;
    if (!current) {
        fragments.clock_pos += clockElement(number, x, y);
        return;
    }
    fragments.clock_pos += currentPlaceElement("Clock0", x, y, page.appDirUrl);
    if (withLocationBox) {
        const bool wide = screen.screen.width >= kDaylightLayersMinWidth;
        const long double boxX = background.left + (wide ? 531.0L : 111.0L) * scale;
        const long double boxY = background.top + (wide ? 202.0L * scale : 992.0L * scale - 60.0L);
        fragments.clock_pos += currentPlaceElement("Clock000", boxX, boxY, page.appDirUrl);
    }
}

void BuildPageContents(PageContext& page, const PageScreen& screen)
{
    PageFragments fragments = backgroundLayerFragments(page.background, page.appDirUrl);

    for (page.locations.first(); !page.locations.eof(); page.locations.next()) {
        const LocationRow& row = page.locations.current();
        if (!row.name_City.empty())
            AddClock(fragments, row, page, screen);
    }

    if (screen.screen.width >= kDaylightLayersMinWidth) {
        appendDaylightLayers(fragments, kDotsLayers, page.background, page.overlay, page.currentOffsetHours);
        appendDaylightLayers(fragments, kSolidLayers, page.background, page.overlay, page.currentOffsetHours);
    }
    if (screen.screen.width > kDaylightLayersMinWidth)
        appendSidebars(fragments, screen.screen, page.background, page.appDirUrl);

    fillTemplate(page.pageText, fragments);
}

void fillTemplate(std::string& pageText, const PageFragments& fragments)
{
    replaceFirst(pageText, placeholder::kClockDefs, fragments.clock_defs);
    replaceFirst(pageText, placeholder::kClockAttribs, fragments.clock_attribs);
    replaceFirst(pageText, placeholder::kClockTimes, fragments.clock_times);
    replaceFirst(pageText, placeholder::kClockPos, fragments.clock_pos);
}

PageScreen pageScreenFromContext(PageContext& page)
{
    const BackgroundLayout& background = page.background;
    PageScreen result;
    result.screen.width = checkedAdd(background.width, checkedMul(background.left, 2));
    result.screen.height = checkedAdd(background.height, checkedMul(background.top, 2));
    for (page.locations.first(); !page.locations.eof(); page.locations.next())
        result.visibleCount = std::max(result.visibleCount, page.locations.current().IDX);
    page.locations.first();
    return result;
}

} // namespace orbiclock
