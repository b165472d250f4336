#include "wallpaper/platform/HostLink.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace orbiclock {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) noexcept : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const noexcept { return m_fd; }

private:
    int m_fd;
};

constexpr std::size_t kMaxAnswer = 256;

} // namespace

HostReply sendHostCommand(const std::filesystem::path& socket, std::string_view command,
                          std::chrono::milliseconds timeout)
{
    HostReply reply;
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const std::string name = socket.string();
    if (name.size() >= sizeof address.sun_path)
        return reply;
    std::memcpy(address.sun_path, name.c_str(), name.size() + 1);

    const Descriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.get() < 0)
        return reply;
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return reply;
    reply.connected = true;

    std::string line(command);
    line += '\n';
    std::string_view rest = line;
    while (!rest.empty()) {
        const ssize_t sent = ::send(fd.get(), rest.data(), rest.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            return reply;
        }
        rest.remove_prefix(static_cast<std::size_t>(sent));
    }

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string answer;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return reply;
        pollfd waiting {fd.get(), POLLIN, 0};
        const int ready = ::poll(&waiting, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return reply;
        char buffer[64];
        const ssize_t count = ::recv(fd.get(), buffer, sizeof buffer, 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return reply;
        answer.append(buffer, static_cast<std::size_t>(count));
        if (const std::size_t end = answer.find('\n'); end != std::string::npos) {
            reply.answer = answer.substr(0, end);
            return reply;
        }
        if (answer.size() > kMaxAnswer)
            return reply;
    }
}

} // namespace orbiclock
