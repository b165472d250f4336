#pragma once

// Shared pieces of the tests that open a generated page in Debian's headless Chromium: the command
// line this machine needs, and putting a script that fixes the page's clock in front of its own.

#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace orbiclock::browsertest {

inline constexpr const char* kChromium = "/usr/bin/chromium";

inline std::string readWholeFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void replaceEvery(std::string& text, const std::string& what, const std::string& with)
{
    for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += with.size())
        text.replace(at, what.size(), with);
}

/// The start of a headless Chromium command in time zone `zone`, with its own profile folder and
/// without the background services that would reach the network. The caller appends its mode flags
/// and the page.
inline std::string chromiumCommand(const std::string& zone, const std::filesystem::path& profile)
{
    std::string command = "TZ=" + zone + " timeout 120 " + kChromium + " --headless";
    if (::geteuid() == 0)
        command += " --no-sandbox"; // Chromium refuses to start its sandbox as root
    command += " --disable-gpu --disable-quic --no-first-run --disable-background-networking"
               " --disable-component-update --disable-sync --disable-extensions --mute-audio"
               " --user-data-dir=" + profile.string();
    return command;
}

/// The page text with tests/wallpaper/browser/fixed-clock.js put in front of its first script, so
/// that every "new Date()" of the page answers the instant `instant` (seconds since 1970, UTC).
inline std::string withFixedClock(std::string page, std::time_t instant)
{
    std::string prelude =
        readWholeFile(std::filesystem::path(ORBICLOCK_SOURCE_DIR) / "tests/wallpaper/browser/fixed-clock.js");
    replaceEvery(prelude, "__INSTANT_MS__", std::to_string(static_cast<long long>(instant) * 1000));
    const std::size_t firstScript = page.find("<script");
    if (firstScript == std::string::npos)
        throw std::runtime_error("the page has no script");
    page.insert(firstScript, "<script>\r\n" + prelude + "</script>\r\n");
    return page;
}

/// Runs a shell command and returns its exit status (-1 if it could not be started).
inline int runCommand(const std::string& command)
{
    return std::system(command.c_str());
}

} // namespace orbiclock::browsertest
