#include "wallpaper/platform/SystemDesktopPlatform.h"

#include "wallpaper/platform/AtomicFile.h"
#include "wallpaper/platform/AutostartEntry.h"
#include "wallpaper/platform/DesktopState.h"
#include "wallpaper/platform/HostLink.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

extern char** environ;

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

/// A file descriptor closed when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) noexcept : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    ~FileDescriptor() { reset(); }
    int get() const noexcept { return m_fd; }
    void reset() noexcept
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

/// What the children of `startDetached` report through their pipe: the started process, or the step
/// that failed and its errno.
struct SpawnReport {
    enum Step : int { Started, Fork, OpenNull, Redirect, ChangeFolder, Execute };
    int step = Started;
    int error = 0;
    pid_t pid = 0;
};

const char* stepName(int step) noexcept
{
    switch (step) {
    case SpawnReport::Fork:
        return "fork";
    case SpawnReport::OpenNull:
        return "open /dev/null";
    case SpawnReport::Redirect:
        return "dup2";
    case SpawnReport::ChangeFolder:
        return "chdir";
    case SpawnReport::Execute:
        return "execve";
    default:
        return "start";
    }
}

// Only async-signal-safe calls from here until execve: this process may have other threads.
void reportFromChild(int fd, int step, int error, pid_t pid) noexcept
{
    const SpawnReport report {step, error, pid};
    ssize_t written;
    do
        written = ::write(fd, &report, sizeof report);
    while (written < 0 && errno == EINTR);
}

[[noreturn]] void runDetachedHost(int reportFd, const char* program, const char* folder) noexcept
{
    // The host starts from the default signal dispositions and an empty signal mask.
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    ::sigemptyset(&defaults.sa_mask);
    ::sigaction(SIGPIPE, &defaults, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    // Nothing of this program's but the standard streams reaches the host.
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0 && null <= STDOUT_FILENO) {
        // A closed standard stream gave its number: move the handle away so that dup2 below
        // installs a copy without close-on-exec.
        const int moved = ::fcntl(null, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        ::close(null);
        null = moved;
    }
    if (null < 0) {
        reportFromChild(reportFd, SpawnReport::OpenNull, errno, 0);
        ::_exit(127);
    }
    // Standard input and output go nowhere; standard error stays this program's.
    if (::dup2(null, STDIN_FILENO) < 0 || ::dup2(null, STDOUT_FILENO) < 0) {
        reportFromChild(reportFd, SpawnReport::Redirect, errno, 0);
        ::_exit(127);
    }
    if (::chdir(folder) != 0) {
        reportFromChild(reportFd, SpawnReport::ChangeFolder, errno, 0);
        ::_exit(127);
    }
    char* const argv[] = {const_cast<char*>(program), nullptr};
    ::execve(program, argv, environ);
    reportFromChild(reportFd, SpawnReport::Execute, errno, 0);
    ::_exit(127);
}

/// Starts `program` in `folder` as a process of its own session that outlives this one: a child
/// starts it and exits at once, so init adopts it and no zombie is left. Returns its process id;
/// raises DesktopHostError with `failure` and the failing step when it cannot be started.
pid_t startDetached(const std::filesystem::path& program, const std::filesystem::path& folder,
                    const std::string& failure)
{
    const std::string programText = program.string();
    const std::string folderText = folder.string();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw DesktopHostError(failure + "pipe: " + errnoText(errno));
    FileDescriptor reader(fds[0]);
    FileDescriptor writer(fds[1]);
    if (writer.get() <= STDOUT_FILENO) {
        // The host's standard input or output will take that number: report through another one.
        const int moved = ::fcntl(writer.get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        if (moved < 0)
            throw DesktopHostError(failure + "fcntl: " + errnoText(errno));
        writer = FileDescriptor(moved);
    }
    const int reportFd = writer.get();

    const pid_t child = ::fork();
    if (child < 0)
        throw DesktopHostError(failure + "fork: " + errnoText(errno));
    if (child == 0) {
        ::setsid();
        const pid_t host = ::fork();
        if (host < 0) {
            reportFromChild(reportFd, SpawnReport::Fork, errno, 0);
            ::_exit(1);
        }
        if (host == 0)
            runDetachedHost(reportFd, programText.c_str(), folderText.c_str());
        reportFromChild(reportFd, SpawnReport::Started, 0, host);
        ::_exit(0);
    }

    writer.reset(); // the pipe ends when both children have closed it: the host at execve
    SpawnReport started {SpawnReport::Fork, EIO, 0};
    SpawnReport failed {};
    bool hasFailure = false;
    for (;;) {
        SpawnReport report;
        const ssize_t got = ::read(reader.get(), &report, sizeof report);
        if (got < 0 && errno == EINTR)
            continue;
        if (got != static_cast<ssize_t>(sizeof report))
            break;
        if (report.step == SpawnReport::Started) {
            started = report;
        } else {
            failed = report;
            hasFailure = true;
        }
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (hasFailure)
        throw DesktopHostError(failure + stepName(failed.step) + ": " + errnoText(failed.error));
    if (started.step != SpawnReport::Started)
        throw DesktopHostError(failure + stepName(started.step) + ": " + errnoText(started.error));
    return started.pid;
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
        const pid_t pid = startDetached(host, m_platform.appDir(),
                                        "The desktop host " + quoted(host) + " could not be started: ");

        // The host answers as soon as it holds the session's socket, before the page loads.
        const auto deadline = std::chrono::steady_clock::now() + m_hostStartTimeout;
        for (;;) {
            const HostReply reply = sendHostCommand(session.hostSocket(), kHostPing, kAnswerTimeout);
            if (reply.connected && reply.answer)
                return;
            const bool gone = pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH;
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
