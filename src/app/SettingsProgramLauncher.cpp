#include "app/SettingsProgramLauncher.h"

#include "astro/OrbiclockError.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace orbiclock {

void execSettingsProgram(const std::filesystem::path& executable, char** argv)
{
    const std::filesystem::path program = executable.parent_path() / kSettingsProgramName;
    std::string programText = program.string();
    std::vector<char*> arguments{programText.data()};
    for (char** arg = argv + 1; *arg != nullptr; ++arg)
        arguments.push_back(*arg);
    arguments.push_back(nullptr);
    ::execv(programText.c_str(), arguments.data());
    const int error = errno;
    throw OrbiclockError("Cannot start " + programText + ": " + std::strerror(error));
}

} // namespace orbiclock
