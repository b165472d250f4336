#include "wallpaper/platform/SystemDesktopPlatform.h"

#include "wallpaper/platform/AtomicFile.h"
#include "wallpaper/platform/AutostartEntry.h"
#include "wallpaper/platform/DesktopState.h"
#include "wallpaper/platform/HostLink.h"

#include <QProcess>
#include <QString>

#include <cerrno>
#include <climits>
#include <csignal>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace orbiclock {

namespace {

constexpr std::chrono::milliseconds kAnswerTimeout(5000);
constexpr std::chrono::milliseconds kStartPollInterval(100);

bool isValidUtf8(const std::string& text) noexcept
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        std::uint32_t codePoint = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            codePoint = lead & 0x1Fu;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            codePoint = lead & 0x0Fu;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            codePoint = lead & 0x07u;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (codePoint < kSmallest[length] || codePoint > 0x10FFFF
            || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

std::string quoted(const std::filesystem::path& path)
{
    return "\"" + path.string() + "\"";
}

/// The wallpaper interface of one shell object: remembers the path until the change is applied.
class XdgWallpaper final : public DesktopWallpaper {
public:
    XdgWallpaper(const XdgDesktopPlatform& platform, std::chrono::milliseconds hostStartTimeout)
        : m_platform(platform)
        , m_hostStartTimeout(hostStartTimeout)
    {
    }

    void setWallpaper(const std::string& path) override
    {
        checkWallpaperPath(path);
        m_path = path;
    }

    void applyChanges() override
    {
        const DesktopSession& session = m_platform.session();
        saveWallpaper(session);
        updateAutostart(session);
        showOnDesktop(session);
    }

private:
    void saveWallpaper(const DesktopSession& session) const
    {
        DesktopState state;
        const DesktopState defaults {DesktopBackgroundColor, std::string()};
        int result = loadDesktopState(session.stateFile(), defaults, state);
        if (result == 0 || result == ENOENT) {
            state.wallpaper = m_path;
            result = saveDesktopState(session.stateFile(), state);
        }
        if (result != 0)
            throw FileError("Cannot save the desktop state " + quoted(session.stateFile()) + ". "
                            + errnoText(result));
    }

    void updateAutostart(const DesktopSession& session) const
    {
        const std::filesystem::path entry = session.autostartFile();
        const int result = m_path.empty()
            ? removeFileIfPresent(entry)
            : replaceFileContents(entry, autostartEntryText(m_platform.hostExecutable()));
        if (result != 0)
            throw FileError("Cannot update the autostart entry " + quoted(entry) + ". " + errnoText(result));
    }

    void showOnDesktop(const DesktopSession& session) const
    {
        const HostReply reply = sendHostCommand(session.hostSocket(), kHostApply, kAnswerTimeout);
        if (reply.connected) {
            if (!reply.answer)
                throw DesktopHostError("The desktop host does not answer on " + quoted(session.hostSocket())
                                       + "; the desktop state is saved in " + quoted(session.stateFile()));
            return;
        }
        // No display: the autostart entry shows the saved state when the session starts.
        if (!session.hasDisplay())
            return;
        startHost(session);
    }

    void startHost(const DesktopSession& session) const
    {
        const std::filesystem::path host = m_platform.hostExecutable();
        // The host keeps this program's standard error until it has said what it must say at
        // start-up (it cannot show a desktop, for one), then moves to its own log.
        QProcess process;
        process.setProgram(QString::fromStdString(host.string()));
        process.setWorkingDirectory(QString::fromStdString(m_platform.appDir().string()));
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        qint64 pid = 0;
        if (!process.startDetached(&pid))
            throw DesktopHostError("The desktop host " + quoted(host) + " could not be started: "
                                   + process.errorString().toStdString());

        // The host answers as soon as it holds the session's socket, before the page loads.
        const auto deadline = std::chrono::steady_clock::now() + m_hostStartTimeout;
        for (;;) {
            const HostReply reply = sendHostCommand(session.hostSocket(), kHostPing, kAnswerTimeout);
            if (reply.connected && reply.answer)
                return;
            const bool gone = pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
            if (gone || std::chrono::steady_clock::now() >= deadline)
                throw DesktopHostError("The desktop host " + quoted(host) + " did not start on display "
                                       + session.display + "; the desktop state is saved in "
                                       + quoted(session.stateFile()));
            std::this_thread::sleep_for(kStartPollInterval);
        }
    }

    const XdgDesktopPlatform& m_platform;
    std::chrono::milliseconds m_hostStartTimeout;
    std::string m_path;
};

class XdgShellObject final : public DesktopShellObject {
public:
    XdgShellObject(const XdgDesktopPlatform& platform, std::chrono::milliseconds hostStartTimeout)
        : m_wallpaper(platform, hostStartTimeout)
    {
    }
    DesktopWallpaper* queryWallpaper() noexcept override { return &m_wallpaper; }

private:
    XdgWallpaper m_wallpaper;
};

} // namespace

XdgDesktopPlatform::XdgDesktopPlatform(std::filesystem::path appDir, DesktopSession session,
                                       std::chrono::milliseconds hostStartTimeout)
    : m_appDir(std::move(appDir))
    , m_session(std::move(session))
    , m_hostStartTimeout(hostStartTimeout)
{
}

std::filesystem::path XdgDesktopPlatform::hostExecutable() const
{
    return m_appDir / kDesktopHostName;
}

void XdgDesktopPlatform::setBackgroundColor(std::uint32_t color)
{
    DesktopState state;
    const DesktopState defaults {color, std::string()};
    int result = loadDesktopState(m_session.stateFile(), defaults, state);
    if (result == 0 || result == ENOENT) {
        state.color = color;
        result = saveDesktopState(m_session.stateFile(), state);
    }
    if (result != 0)
        throw SystemError(result, errnoText(result));
    // A running host shows the colour at once; starting one is left to applying the wallpaper.
    sendHostCommand(m_session.hostSocket(), kHostColor, kAnswerTimeout);
}

std::unique_ptr<DesktopShellObject> XdgDesktopPlatform::createShellObject()
{
    const std::filesystem::path host = hostExecutable();
    struct stat info {};
    int result = 0;
    if (::stat(host.c_str(), &info) != 0)
        result = errno;
    else if (!S_ISREG(info.st_mode))
        result = EISDIR;
    else if (::access(host.c_str(), X_OK) != 0)
        result = errno;
    if (result != 0)
        throw ShellObjectError(result, "The desktop host " + quoted(host) + " cannot be used: " + errnoText(result));
    return std::make_unique<XdgShellObject>(*this, m_hostStartTimeout);
}

std::size_t maxWallpaperPathBytes() noexcept
{
    return PATH_MAX - 1;
}

void checkWallpaperPath(const std::string& path)
{
    if (path.empty())
        return;
    if (path.find('\0') != std::string::npos)
        throw WallpaperPathError("The wallpaper path contains a NUL character");
    if (path.size() > maxWallpaperPathBytes())
        throw WallpaperPathError("The wallpaper path is " + std::to_string(path.size())
                                 + " bytes long; this system takes at most "
                                 + std::to_string(maxWallpaperPathBytes()) + " bytes");
    if (path.front() != '/')
        throw WallpaperPathError("The wallpaper path \"" + path + "\" is not a full path");
    if (!isValidUtf8(path))
        throw WallpaperPathError("The wallpaper path is not valid UTF-8 text");
}

std::unique_ptr<DesktopPlatform> createSystemDesktopPlatform(const std::filesystem::path& appDir)
{
    return std::make_unique<XdgDesktopPlatform>(appDir, DesktopSession::fromEnvironment());
}

} // namespace orbiclock
