#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orbiclock {

/// Commands the desktop host understands, one per line; it answers each with one line.
inline constexpr std::string_view kHostPing = "ping";     ///< answer only
inline constexpr std::string_view kHostColor = "color";   ///< re-read the colour
inline constexpr std::string_view kHostApply = "apply";   ///< re-read the state and reload the page

/// Answers of the host: everything shown, or the desktop cannot show a window behind its icons.
inline constexpr std::string_view kHostOk = "ok";
inline constexpr std::string_view kHostUnsupported = "unsupported";

/// The outcome of talking to the host.
struct HostReply {
    bool connected = false;        ///< a host listens on the socket
    std::optional<std::string> answer; ///< its answer line without the line end; none: no answer in time
};

/// Sends `command` to the host listening on `socket` and waits up to `timeout` for its answer.
/// Never throws for a missing host: `connected` is then false.
HostReply sendHostCommand(const std::filesystem::path& socket, std::string_view command,
                          std::chrono::milliseconds timeout);

} // namespace orbiclock
