// Orbiclock: the world-clock map on the desktop. Without an argument the settings window opens (the
// settings program, which needs the user interface toolkit); with one, one operation runs here, on
// plain libraries only, so that the scheduled updates start in a few milliseconds. Where only the
// toolkit can tell the screen size, the settings program runs the operation instead.

#include "app/AppPaths.h"
#include "app/CommandLineModes.h"
#include "app/CommandLineScreen.h"
#include "app/CrashReporter.h"
#include "app/RunMode.h"
#include "app/SettingsProgramLauncher.h"
#include "astro/Clock.h"

#include <cstdio>
#include <exception>

namespace orbiclock {
namespace {

int run(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const RunMode mode = runModeFromArguments(arguments);
    const std::filesystem::path exe = executablePath();
    if (mode == RunMode::Interactive)
        execSettingsProgram(exe, argv); // returns only by raising
    const std::optional<ScreenSize> screen = commandLineScreenSize(processEnvironment);
    if (!screen)
        execSettingsProgram(exe, argv);

    CrashReporter reporter(std::filesystem::path(exe).replace_extension(".log"), ORBICLOCK_VERSION,
                           runModeName(mode));
    const auto reportError = [&reporter](std::exception_ptr error) { reporter.report(error); };

    const SystemClock clock{};
    return runCommandLineMode(CommandLineRun{mode, reportError, terminalStatusEcho()},
                              baseServices(exe, clock, [size = *screen] { return size; }));
}

} // namespace
} // namespace orbiclock

int main(int argc, char** argv)
{
    try {
        return orbiclock::run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Orbiclock: %s\n", e.what());
        return 1;
    }
}
