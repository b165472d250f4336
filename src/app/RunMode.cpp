#include "app/RunMode.h"

namespace orbiclock {

RunMode runModeFromArguments(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return RunMode::Interactive;
    std::string word = arguments.front();
    for (char& c : word)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (word == "-autoupdate")
        return RunMode::AutoUpdate;
    if (word == "-firstrun")
        return RunMode::FirstRun;
    if (word == "-remove")
        return RunMode::Remove;
    return RunMode::Unrecognised;
}

const char* runModeName(RunMode mode) noexcept
{
    switch (mode) {
    case RunMode::Interactive: return "interactive";
    case RunMode::AutoUpdate: return "-autoupdate";
    case RunMode::FirstRun: return "-firstrun";
    case RunMode::Remove: return "-remove";
    case RunMode::Unrecognised: return "unrecognised argument";
    }
    return "unknown";
}

} // namespace orbiclock
