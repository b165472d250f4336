#pragma once

#include "wallpaper/BackgroundLayout.h"

#include <functional>
#include <optional>
#include <string>

namespace orbiclock {

/// Reads an environment variable; empty when it is unset.
using EnvironmentReader = std::function<std::optional<std::string>(const char* name)>;

/// The process environment.
std::optional<std::string> processEnvironment(const char* name);

/// How the command-line modes learn the screen size without starting the user interface toolkit.
enum class ScreenSource {
    Forced,  ///< ORBICLOCK_SCREEN="WIDTHxHEIGHT" (tests, benchmarks, scripted setups)
    X11,     ///< the X server of DISPLAY, asked directly: the toolkit would report the same size
    Toolkit, ///< only the toolkit knows (Wayland, no display, scaling settings): the settings program runs the mode
};

/// Which source answers for this environment. The X server is asked only where the toolkit would take
/// its size unscaled from it: the xcb platform (QT_QPA_PLATFORM unset or "xcb"), no Wayland display and
/// none of the toolkit's scaling variables.
ScreenSource chooseScreenSource(const EnvironmentReader& environment);

/// The primary monitor of an X server as the toolkit sees it: the RandR monitor marked primary, else
/// the first, else the root window. Nothing when the server cannot be reached or its resources set a
/// DPI other than 96 (the toolkit would then scale the size).
std::optional<ScreenSize> x11PrimaryScreenSize(const std::string& display);

/// The screen size from `source`; nothing when it cannot be known without the toolkit.
std::optional<ScreenSize> commandLineScreenSize(const EnvironmentReader& environment);

/// The DPI in an X resource string ("Xft.dpi:\t96\n..."), 0 when it sets none.
double xftDpiFromResources(const std::string& resources);

} // namespace orbiclock
