#include "app/CommandLineModes.h"

#include "app/CrashReporter.h"
#include "app/DesktopActions.h"
#include "locations/MainController.h"
#include "wallpaper/UpdatePipeline.h"

#include <cstdio>
#include <unistd.h>

namespace orbiclock {
namespace {

/// The update's host without a window: nothing to enable or repaint; status texts go to the echo.
class ConsoleUpdateHost final : public UpdateHost {
public:
    explicit ConsoleUpdateHost(std::function<void(const std::string&)> echo) : m_echo(std::move(echo)) {}
    void setWindowEnabled(bool) override {}
    void setStatusText(const std::string& text) override
    {
        if (m_echo && !text.empty())
            m_echo(text);
    }
    void setStatusVisible(bool) override {}
    void processMessages() override {}
    void setLocationsChanged(bool) override {}

private:
    std::function<void(const std::string&)> m_echo;
};

} // namespace

MainWindowServices baseServices(const std::filesystem::path& executable, const Clock& clock,
                                std::function<ScreenSize()> screenSize)
{
    const DesktopActions desktop = makeDesktopActions(executable.parent_path());
    MainWindowServices services;
    services.executablePath = executable;
    services.clock = &clock;
    services.screenSize = std::move(screenSize);
    services.setActiveDesktopWallpaper = desktop.setActiveDesktopWallpaper;
    services.removeWallpaper = desktop.removeWallpaper;
    return services;
}

std::function<void(const std::string&)> terminalStatusEcho()
{
    if (::isatty(STDERR_FILENO) == 0)
        return {};
    return [](const std::string& text) { std::fprintf(stderr, "%s...\n", text.c_str()); };
}

void runCommandLineOperations(RunMode mode, MainController& controller)
{
    switch (mode) {
    case RunMode::AutoUpdate:
        controller.btnUpdateClick();
        break;
    case RunMode::FirstRun:
        controller.ImportSystemTimeZone();
        controller.SetActiveDesktopWallpaper("");
        controller.btnUpdateClick();
        break;
    case RunMode::Remove:
        controller.RemoveWallpaper();
        break;
    case RunMode::Interactive:
    case RunMode::Unrecognised:
        break;
    }
}

int runCommandLineMode(const CommandLineRun& run, MainWindowServices services)
{
    services.reportError = run.reportError;
    ConsoleUpdateHost host(run.statusEcho);
    MainController controller(std::move(services), host);
    try {
        controller.FormCreate();
    } catch (...) {
        // As with the window: what the preparation did not reach stays missing, and the mode runs on.
        if (run.reportError)
            run.reportError(std::current_exception());
    }
    try {
        runCommandLineOperations(run.mode, controller);
        controller.closeAndUpdateIfAsked();
    } catch (...) {
        const auto error = std::current_exception();
        if (run.reportError)
            run.reportError(error);
        std::fprintf(stderr, "Orbiclock: %s\n", CrashReporter::messageOf(error).c_str());
        return 1;
    }
    return 0;
}

} // namespace orbiclock
