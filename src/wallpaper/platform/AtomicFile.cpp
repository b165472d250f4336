#include "wallpaper/platform/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace orbiclock {

namespace {

/// Closes a descriptor and removes a temporary file unless released.
class TemporaryFile {
public:
    TemporaryFile(int fd, std::string path) noexcept : m_fd(fd), m_path(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    int fd() const noexcept { return m_fd; }
    /// Closes the descriptor; returns 0 or the errno.
    int close() noexcept
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }
    /// The file has been renamed into place: nothing to remove any more.
    void release() noexcept { m_path.clear(); }

private:
    int m_fd;
    std::string m_path;
};

int writeAll(int fd, std::string_view text) noexcept
{
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

} // namespace

int replaceFileContents(const std::filesystem::path& file, std::string_view text) noexcept
{
    try {
        // The same contents again: nothing to do, and no new file, sync and rename on every update.
        std::string existing;
        if (readFileContents(file, existing) == 0 && existing == text)
            return 0;
        std::error_code error;
        std::filesystem::create_directories(file.parent_path(), error);
        if (error)
            return error.value();

        std::string pattern = file.string() + ".XXXXXX";
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0)
            return errno;
        TemporaryFile temporary(fd, pattern);
        if (::fchmod(fd, 0644) != 0)
            return errno;
        if (const int result = writeAll(fd, text); result != 0)
            return result;
        if (::fsync(fd) != 0)
            return errno;
        if (const int result = temporary.close(); result != 0)
            return result;
        if (::rename(pattern.c_str(), file.c_str()) != 0)
            return errno;
        temporary.release();
        return 0;
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
}

int readFileContents(const std::filesystem::path& file, std::string& text) noexcept
{
    try {
        const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return errno;
        TemporaryFile reader(fd, std::string());
        text.clear();
        char buffer[4096];
        for (;;) {
            const ssize_t count = ::read(fd, buffer, sizeof buffer);
            if (count < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            if (count == 0)
                return 0;
            text.append(buffer, static_cast<std::size_t>(count));
        }
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
}

int removeFileIfPresent(const std::filesystem::path& file) noexcept
{
    if (::unlink(file.c_str()) != 0 && errno != ENOENT)
        return errno;
    return 0;
}

std::string errnoText(int errorNumber)
{
    return std::strerror(errorNumber);
}

} // namespace orbiclock
