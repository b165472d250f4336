#include "wallpaper/platform/AutostartEntry.h"

namespace orbiclock {

namespace {

/// The general string escapes of a Desktop Entry value.
std::string escapeStringValue(const std::string& value)
{
    std::string text;
    for (const char c : value) {
        switch (c) {
        case '\\': text += "\\\\"; break;
        case '\n': text += "\\n"; break;
        case '\t': text += "\\t"; break;
        case '\r': text += "\\r"; break;
        default: text += c;
        }
    }
    return text;
}

} // namespace

std::string desktopEntryExecArgument(const std::string& argument)
{
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
        if (c == '%')
            quoted += '%';
    }
    quoted += '"';
    return escapeStringValue(quoted);
}

std::string autostartEntryText(const std::filesystem::path& hostExecutable)
{
    std::string text;
    text += "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Name=Orbiclock desktop\n";
    text += "Comment=Shows the Orbiclock world-clock map as the desktop\n";
    text += "Exec=" + desktopEntryExecArgument(hostExecutable.string()) + "\n";
    text += "TryExec=" + escapeStringValue(hostExecutable.string()) + "\n";
    text += "Terminal=false\n";
    text += "NoDisplay=true\n";
    text += "X-GNOME-Autostart-enabled=true\n";
    return text;
}

} // namespace orbiclock
