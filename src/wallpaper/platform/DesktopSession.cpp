#include "wallpaper/platform/DesktopSession.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbiclock {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::filesystem::path homeDir()
{
    std::string home = environment("HOME");
    if (home.empty()) {
        if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
            home = entry->pw_dir;
    }
    return home;
}

/// The display name as a file name part: letters, digits, '.', '-' and '_' kept, everything else '_'.
std::string fileNameKey(const std::string& display)
{
    if (display.empty())
        return "nodisplay";
    std::string key;
    for (const char c : display) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || c == '.' || c == '-' || c == '_';
        key += plain ? c : '_';
    }
    return key;
}

} // namespace

DesktopSession DesktopSession::fromEnvironment()
{
    DesktopSession session;
    // The XDG base directory rules ignore relative paths in these variables.
    const std::filesystem::path config = environment("XDG_CONFIG_HOME");
    session.configDir = config.is_absolute() ? config : homeDir() / ".config";
    const std::filesystem::path runtime = environment("XDG_RUNTIME_DIR");
    session.runtimeDir = runtime.is_absolute()
        ? runtime
        : std::filesystem::path("/tmp") / ("orbiclock-" + std::to_string(getuid()));
    session.display = environment("DISPLAY");
    if (session.display.empty())
        session.display = environment("WAYLAND_DISPLAY");
    return session;
}

std::filesystem::path DesktopSession::stateFile() const
{
    return configDir / "orbiclock" / "desktop.ini";
}

std::filesystem::path DesktopSession::autostartFile() const
{
    return configDir / "autostart" / "orbiclock-desktop.desktop";
}

std::filesystem::path DesktopSession::hostSocket() const
{
    return runtimeDir / ("orbiclock-desktop-" + fileNameKey(display) + ".socket");
}

std::filesystem::path DesktopSession::hostLock() const
{
    return runtimeDir / ("orbiclock-desktop-" + fileNameKey(display) + ".lock");
}

std::filesystem::path DesktopSession::hostLogFile() const
{
    return runtimeDir / ("orbiclock-desktop-" + fileNameKey(display) + ".log");
}

int ensurePrivateRuntimeDir(const std::filesystem::path& dir)
{
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return errno;
    struct stat info {};
    if (::lstat(dir.c_str(), &info) != 0)
        return errno;
    // Another user must not be able to plant a socket for our program to talk to.
    if (!S_ISDIR(info.st_mode) || info.st_uid != getuid() || (info.st_mode & 0077) != 0)
        return EACCES;
    return 0;
}

} // namespace orbiclock
