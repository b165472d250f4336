#pragma once

#include "app/RunMode.h"
#include "locations/MainWindowServices.h"

#include <functional>
#include <string>

namespace orbiclock {

class MainController;

/// What a command-line mode runs with besides the controller's services.
struct CommandLineRun {
    RunMode mode = RunMode::AutoUpdate;
    /// Reports an error to the crash report file; the mode's last error also goes to stderr.
    std::function<void(std::exception_ptr)> reportError;
    /// Shows each status text of the update (on a terminal); may be empty.
    std::function<void(const std::string&)> statusEcho;
};

/// The services of the main window's controller that both programs give it alike: the executable's
/// path (settings, help, data and reports are found beside it), the clock, the screen size and this
/// system's desktop operations.
MainWindowServices baseServices(const std::filesystem::path& executable, const Clock& clock,
                                std::function<ScreenSize()> screenSize);

/// Echoes each status text to stderr ("Saving HTML File...") when stderr is a terminal; otherwise empty.
std::function<void(const std::string&)> terminalStatusEcho();

/// The operations of one non-interactive mode on a prepared controller: -autoupdate updates,
/// -firstrun imports the system's time zone into the first place, clears the wallpaper and updates,
/// -remove takes the wallpaper away; an unrecognised argument does nothing.
void runCommandLineOperations(RunMode mode, MainController& controller);

/// A whole non-interactive mode without a window: prepares the place table, runs the operations and
/// writes the settings. A failure of the preparation is reported and the operations still run, as
/// when the window opens anyway; a failure of the operations is reported, its message goes to stderr
/// ("Orbiclock: <message>") and the result is 1. Returns the process exit status.
int runCommandLineMode(const CommandLineRun& run, MainWindowServices services);

} // namespace orbiclock
