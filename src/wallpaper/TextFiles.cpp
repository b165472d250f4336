#include "wallpaper/TextFiles.h"

#include "astro/OrbiclockError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace orbiclock {
namespace {

[[noreturn]] void throwCreateError(const std::filesystem::path& file, int errorNumber)
{
    throw FileError("Cannot create file \"" + file.string() + "\". " + systemErrorText(errorNumber));
}

// Closes the descriptor and removes the temporary file unless the rename went through.
class TemporaryFile {
public:
    TemporaryFile(std::string path, int fd) : m_path(std::move(path)), m_fd(fd) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_committed)
            ::unlink(m_path.c_str());
    }
    int fd() const noexcept { return m_fd; }
    const std::string& path() const noexcept { return m_path; }
    int closeNow() noexcept
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc;
    }
    void markCommitted() noexcept { m_committed = true; }

private:
    std::string m_path;
    int m_fd;
    bool m_committed = false;
};

mode_t processUmask() noexcept
{
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return mask;
}

} // namespace

std::string systemErrorText(int errorNumber)
{
    char buf[256];
    // GNU strerror_r returns the message pointer, which may or may not be buf.
    return ::strerror_r(errorNumber, buf, sizeof buf);
}

std::string readTextLinesCrLf(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        const int err = errno;
        throw FileError("Cannot open file \"" + file.string() + "\". " + systemErrorText(err ? err : ENOENT));
    }
    std::string result;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result += line;
        result += "\r\n";
    }
    if (in.bad())
        throw FileError("Cannot open file \"" + file.string() + "\". " + systemErrorText(EIO));
    return result;
}

void writeFileAtomically(const std::filesystem::path& file, std::string_view text)
{
    std::string pattern = file.string() + ".XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        throwCreateError(file, errno);
    TemporaryFile temp(pattern, fd);
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(temp.fd(), data, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwCreateError(file, errno);
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    // mkstemp creates the file private to the user; the page and images are ordinary files, so give
    // them the permissions a plain create would (0666 less the umask).
    if (::fchmod(temp.fd(), 0666 & ~processUmask()) != 0)
        throwCreateError(file, errno);
    if (temp.closeNow() != 0)
        throwCreateError(file, errno);
    if (std::rename(temp.path().c_str(), file.c_str()) != 0)
        throwCreateError(file, errno);
    temp.markCommitted();
}

} // namespace orbiclock
