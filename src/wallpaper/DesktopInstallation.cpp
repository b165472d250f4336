#include "wallpaper/DesktopInstallation.h"

namespace orbiclock {

namespace {

std::string systemErrorMessage(int code, const std::string& systemText)
{
    if (code == 0)
        return "A call to an OS function failed";
    return "System Error.  Code: " + std::to_string(code) + ".\r\n" + systemText;
}

std::string shellObjectMessage(int code, const std::string& systemText)
{
    if (!systemText.empty())
        return systemText;
    return "The desktop shell object could not be created (error " + std::to_string(code) + ")";
}

} // namespace

SystemError::SystemError(int code, const std::string& systemText)
    : OrbiclockError(systemErrorMessage(code, systemText))
    , m_code(code)
{
}

ShellObjectError::ShellObjectError(int code, const std::string& systemText)
    : OrbiclockError(shellObjectMessage(code, systemText))
    , m_code(code)
{
}

InterfaceNotSupportedError::InterfaceNotSupportedError()
    : OrbiclockError("Interface not supported")
{
}

void SetActiveDesktopWallpaper(DesktopPlatform& platform, const std::string& path)
{
    // The colour comes first and stays even when the shell object fails afterwards.
    platform.setBackgroundColor(DesktopBackgroundColor);

    const std::unique_ptr<DesktopShellObject> shell = platform.createShellObject();
    if (!shell)
        throw ShellObjectError(0, "");
    DesktopWallpaper* wallpaper = shell->queryWallpaper();
    if (wallpaper == nullptr)
        throw InterfaceNotSupportedError();

    wallpaper->setWallpaper(path);
    wallpaper->applyChanges();
}

void RemoveWallpaper(DesktopPlatform& platform)
{
    SetActiveDesktopWallpaper(platform, std::string());
}

} // namespace orbiclock
