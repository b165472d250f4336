#include "app/CommandLineScreen.h"

#include "app/AppPaths.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <sstream>

namespace orbiclock {
namespace {

bool isSet(const EnvironmentReader& environment, const char* name)
{
    const std::optional<std::string> value = environment(name);
    return value && !value->empty();
}

struct ConnectionCloser {
    void operator()(xcb_connection_t* c) const noexcept { xcb_disconnect(c); }
};
using Connection = std::unique_ptr<xcb_connection_t, ConnectionCloser>;

template <typename Reply>
struct ReplyDeleter {
    void operator()(Reply* r) const noexcept { std::free(r); } // xcb replies are malloc'd
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, ReplyDeleter<Reply>>;

/// The RESOURCE_MANAGER string of the root window (where Xft.dpi lives), empty when there is none.
std::string rootResources(xcb_connection_t* c, xcb_window_t root)
{
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(c, 0, root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 0, 1u << 20);
    const ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->format != 8)
        return {};
    const auto* text = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(text, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

/// The primary RandR monitor (1.5), else the first; nothing without monitors.
std::optional<ScreenSize> randrMonitorSize(xcb_connection_t* c, xcb_window_t root)
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_randr_id);
    if (extension == nullptr || extension->present == 0)
        return std::nullopt;
    const ReplyPtr<xcb_randr_query_version_reply_t> version(
        xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr));
    if (!version || version->major_version < 1 || (version->major_version == 1 && version->minor_version < 5))
        return std::nullopt;
    const ReplyPtr<xcb_randr_get_monitors_reply_t> monitors(
        xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, root, 1), nullptr));
    if (!monitors)
        return std::nullopt;
    std::optional<ScreenSize> first;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem > 0;
         xcb_randr_monitor_info_next(&it)) {
        const ScreenSize size{it.data->width, it.data->height};
        if (size.width <= 0 || size.height <= 0)
            continue;
        if (it.data->primary != 0)
            return size;
        if (!first)
            first = size;
    }
    return first;
}

} // namespace

std::optional<std::string> processEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

ScreenSource chooseScreenSource(const EnvironmentReader& environment)
{
    if (const auto forced = environment("ORBICLOCK_SCREEN"); forced && parseScreenSize(*forced))
        return ScreenSource::Forced;
    if (const auto platform = environment("QT_QPA_PLATFORM"); platform && !platform->empty() && *platform != "xcb")
        return ScreenSource::Toolkit;
    if (isSet(environment, "WAYLAND_DISPLAY") || !isSet(environment, "DISPLAY"))
        return ScreenSource::Toolkit;
    for (const char* scaling : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING",
                                "QT_USE_PHYSICAL_DPI", "QT_FONT_DPI", "QT_SCALE_FACTOR_ROUNDING_POLICY"})
        if (isSet(environment, scaling))
            return ScreenSource::Toolkit;
    return ScreenSource::X11;
}

double xftDpiFromResources(const std::string& resources)
{
    std::istringstream lines(resources);
    std::string line;
    double dpi = 0.0;
    while (std::getline(lines, line)) {
        static constexpr std::string_view kKey = "Xft.dpi:";
        if (line.compare(0, kKey.size(), kKey) != 0)
            continue;
        const std::string value = line.substr(kKey.size());
        char* end = nullptr;
        const double parsed = std::strtod(value.c_str(), &end);
        if (end != value.c_str())
            dpi = parsed; // the last setting wins, as in the resource database
    }
    return dpi;
}

std::optional<ScreenSize> x11PrimaryScreenSize(const std::string& display)
{
    int screenNumber = 0;
    Connection c(xcb_connect(display.c_str(), &screenNumber));
    if (!c || xcb_connection_has_error(c.get()) != 0)
        return std::nullopt;
    const xcb_setup_t* setup = xcb_get_setup(c.get());
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem <= 0)
        return std::nullopt;
    const xcb_screen_t* screen = screens.data;

    // The toolkit scales by the resources' DPI over 96; only an unscaled size is the same here.
    const double dpi = xftDpiFromResources(rootResources(c.get(), screen->root));
    if (dpi > 0.0 && dpi != 96.0)
        return std::nullopt;
    if (const auto monitor = randrMonitorSize(c.get(), screen->root))
        return monitor;
    if (screen->width_in_pixels == 0 || screen->height_in_pixels == 0)
        return std::nullopt;
    return ScreenSize{screen->width_in_pixels, screen->height_in_pixels};
}

std::optional<ScreenSize> commandLineScreenSize(const EnvironmentReader& environment)
{
    switch (chooseScreenSource(environment)) {
    case ScreenSource::Forced: return parseScreenSize(*environment("ORBICLOCK_SCREEN"));
    case ScreenSource::X11: return x11PrimaryScreenSize(*environment("DISPLAY"));
    case ScreenSource::Toolkit: return std::nullopt;
    }
    return std::nullopt;
}

} // namespace orbiclock
