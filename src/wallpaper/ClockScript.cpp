#include "wallpaper/ClockScript.h"

#include "wallpaper/PageEscaping.h"
#include "wallpaper/PageFragments.h"
#include "wallpaper/PageNumbers.h"
#include "wallpaper/SunEventText.h"

#include <initializer_list>

namespace orbiclock {
namespace {

/// Appends each line followed by CR LF.
void appendLines(std::string& out, std::initializer_list<std::string> lines)
{
    for (const std::string& line : lines) {
        out += line;
        out += kCrLf;
    }
}

std::string spaces(std::size_t count) { return std::string(count, ' '); }

/// The statement that composes the clock's content: its marker and name, then the time.
std::string currentTimeLine(const std::string& clock, const std::string& hours, const std::string& minuteText)
{
    return "currenttime = \"<b>\" + " + clock + "City + \"<br>\" + \"&nbsp;&nbsp;&nbsp;&nbsp;\" + " + hours +
           " + " + minuteText + " + \"&nbsp;\" + \"</b>\";";
}

void appendWholeHourLines(std::string& out, const ClockTickInput& input, const std::string& clock,
                          const std::string& hours)
{
    const std::string offset = clock + "GMTOffset";
    const std::string wrapped = "(GMThours + (24+" + offset + "))";
    appendLines(out, {
        "// Set Clock " + integerText(input.number) + " (" + scriptCommentText(input.cityName) + ")",
        "if (" + offset + " < 0){",
        hours + " =(" + wrapped + " >= 24) ? (" + wrapped + " - 24) : " + wrapped + ";",
        "}else{",
        hours + " =GMThours + " + offset + ";",
        "}",
        "tmpHours = " + hours + ";",
        "tmpminutes = minutes;",
        "if (tmpHours > 23){tmpHours = tmpHours - 24}",
        "if (tmpHours <  0){tmpHours = tmpHours + 24}",
        hours + " = tmpHours",
        currentTimeLine(clock, hours, "\":\" + minutes"),
    });
}

void appendExtraMinuteLines(std::string& out, const ClockTickInput& input, const std::string& clock,
                            const std::string& hours)
{
    const std::string offset = clock + "GMTOffset";
    const std::int32_t extra = input.offset.extraMinutes;
    const std::string add = integerText(extra);
    const std::string rest = integerText(60 - extra);       // minutes left in the hour after the shift
    const std::string lastKept = integerText(59 - extra);   // the last minute that stays in the hour
    const std::string wrapped = "(GMThours + (24+" + offset + "+1))";
    appendLines(out, {
        "// Set Clock " + integerText(input.number) + " (" + scriptCommentText(input.cityName) + ") ***" + add +
            " min offset***",
        "if (" + offset + " < 0){",
        spaces(3) + "//" + hours + " =(" + wrapped + " >= 24) ? (" + wrapped + " - 24) : " + wrapped + ";",
        spaces(3) + hours + " =GMThours + (24+" + offset + "+1);",
        spaces(3) + "tmpminutes = minutes*1.0 + " + add + ".0;",
        spaces(3) + "if (minutes > " + lastKept + "){",
        spaces(6) + hours + " = " + hours + " + 1.0;",
        spaces(6) + "tmpminutes = minutes - " + rest + ".0;",
        spaces(3) + "}else if (minutes < 0.0){",
        spaces(6) + hours + " = " + hours + " - 1.0;",
        spaces(6) + "tmpminutes = (minutes - " + rest + ") + 60;",
        spaces(3) + "}",
        "}else{",
        spaces(3) + hours + " =GMThours + " + offset + ";",
        spaces(3) + "tmpminutes = minutes*1.0 + " + add + ".0;",
        spaces(3) + "if (minutes > " + lastKept + "){",
        spaces(6) + hours + " = " + hours + " + 1;",
        spaces(6) + "tmpminutes = minutes - " + rest + ";",
        spaces(3) + "}else if (minutes < 0){",
        spaces(6) + hours + " = " + hours + " - 1;",
        spaces(6) + "tmpminutes = (minutes - " + rest + ") + 60;",
        spaces(3) + "}",
        "}",
        "tmpHours = " + hours,
        "if (tmpHours > 23){tmpHours = tmpHours - 24}",
        "if (tmpHours <  0){tmpHours = tmpHours + 24}",
        "if (tmpHours > 23){tmpHours = tmpHours - 24}",
        "if (tmpHours <  0){tmpHours = tmpHours + 24}",
        hours + " = tmpHours",
        "if (tmpminutes > 9){",
        currentTimeLine(clock, hours, "\":\" + tmpminutes"),
        "}else{",
        currentTimeLine(clock, hours, "\":0\" + tmpminutes"),
        "}",
        "int_minutes = tmpminutes;",
    });
}

void appendColourTests(std::string& out, const ClockTickInput& input, const std::string& clock,
                       const std::string& hours)
{
    static constexpr const char* kMargin = "0";
    const std::string& dawn = input.sunMinutes[0];
    const std::string& sunrise = input.sunMinutes[1];
    const std::string& sunset = input.sunMinutes[2];
    const std::string& dusk = input.sunMinutes[3];
    // The content is HTML inside a single-quoted script string: escaped for both, in that order.
    const std::string name = scriptStringEscaped(placeNameHtml(input.cityName));
    const std::string title = scriptStringEscaped(htmlEscaped(input.tooltip));
    const auto city = [&](const char* marker) {
        return clock + "City='<img title=\"" + title + "\" src=\"opt/" + marker + "\" width=\"8\" height=\"8\"> " +
               name + "';";
    };
    const auto colour = [&](const char* value) { return clock + ".style.color = \"" + value + "\";"; };
    appendLines(out, {
        "tmpNowMinutes = (60.0*" + hours + " + tmpminutes/1.0)",
        "// " + scriptCommentText(input.tooltip),
        "if ((tmpNowMinutes < " + dawn + ".0)||(tmpNowMinutes > " + dusk + ".0)){",
        spaces(4) + colour("#C0C0C0"),
        spaces(4) + city("dotNight.gif"),
        "} else {",
        spaces(4) + "if (tmpNowMinutes-" + kMargin + ".0 < " + sunrise + ".0){",
        spaces(8) + colour("#F0C101"),
        spaces(8) + city("dotTwillight.gif"),
        spaces(4) + "} else {",
        spaces(8) + "if (tmpNowMinutes+" + kMargin + ".0 > " + sunset + ".0){",
        spaces(12) + colour("#F0C101"),
        spaces(12) + city("dotTwillight.gif"),
        spaces(12) + "} else {",
        spaces(16) + colour("#FFFF00"),
        spaces(16) + city("dotDay.gif"),
        spaces(8) + "}",
        spaces(4) + "}",
        "}",
        clock + ".innerHTML = currenttime;",
    });
}

} // namespace

std::string clockStyleRule(std::string_view id, std::int64_t zIndex)
{
    return "#Clock" + std::string(id) + " {position:absolute; width:100px; height:50px; z-index:" + integerText(zIndex) +
           "; font-family: Arial, Helvetica, sans-serif; font-size: xx-small; font-style: normal; font-weight: "
           "normal; font-variant: normal; text-decoration: none}";
}

std::string clockTickStatements(const ClockTickInput& clock)
{
    const std::string element = "Clock" + integerText(clock.number);
    const std::string hours = "hoursClock" + integerText(clock.number);
    std::string out;
    if (clock.offset.extraMinutes == 0)
        appendWholeHourLines(out, clock, element, hours);
    else
        appendExtraMinuteLines(out, clock, element, hours);
    appendColourTests(out, clock, element, hours);
    return out;
}

std::string sunTooltip(const std::array<double, 4>& moments)
{
    return "dawn=" + FormatClockTime("hh:nn", moments[0]) + ", sunrise=" + FormatClockTime("hh:nn", moments[1]) +
           ", sunset=" + FormatClockTime("hh:nn", moments[2]) + ", dusk=" + FormatClockTime("hh:nn", moments[3]);
}

std::string locationBoxStatements(std::string_view cityName, std::string_view countryName,
                                  const std::array<double, 4>& moments)
{
    std::string place(cityName);
    place += ", ";
    place += countryName;
    const std::string city = scriptStringEscaped(placeNameHtml(place));
    std::string out;
    appendLines(out, {
        "Clock000.style.color = \"#00FF00\";",
        "Clock000.innerHTML = \"Current&nbsp;location:<BR>" + city +
            "<BR><NOBR>dawn-sunrise-sunset-dusk</NOBR><BR><NOBR>" + FormatClockTime("h:nn", moments[0]) + " - " +
            FormatClockTime("h:nn", moments[1]) + " - " + FormatClockTime("h:nn", moments[2]) + " - " +
            FormatClockTime("h:nn", moments[3]) + "</NOBR>\";",
    });
    return out;
}

} // namespace orbiclock
