// The settings program: the main window of Orbiclock, started by the Orbiclock executable for the
// interactive mode. It also runs a command-line mode where only the toolkit knows the screen size
// (Wayland, no display at all, scaled screens); the mode itself runs as in the executable.

#include "app/AppPaths.h"
#include "app/CommandLineModes.h"
#include "app/CrashReporter.h"
#include "app/NewMsgDlg.h"
#include "app/OrbiclockApplication.h"
#include "app/RunMode.h"
#include "astro/Clock.h"
#include "locations/TdlgMain.h"
#include "locations/TfmLocationProperties.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include <cstdio>
#include <cstdlib>

namespace orbiclock {
namespace {

ScreenSize primaryScreenSize()
{
    if (const char* forced = std::getenv("ORBICLOCK_SCREEN"))
        if (auto size = parseScreenSize(forced))
            return *size;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return {0, 0};
    const QSize size = screen->size();
    return {size.width(), size.height()};
}

/// The close-time question over `window`: 6 Yes, 7 No, 2 Cancel.
int askUpdateQuestion(QWidget* window)
{
    return ShowMessageDialog(QStringLiteral("Do you wish to update the wallpaper to reflect changes made ?"),
                             MessageKind::Confirmation, {DialogButton::Yes, DialogButton::No, DialogButton::Cancel},
                             0, window);
}

int run(int argc, char** argv)
{
    chooseHeadlessPlatformIfNeeded();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const RunMode mode = runModeFromArguments(arguments);
    const bool interactive = mode == RunMode::Interactive;
    // Settings, help, reports and data belong to the Orbiclock executable beside this program.
    const std::filesystem::path exe = executablePath().parent_path() / "Orbiclock";

    OrbiclockApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orbiclock"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orbiclock"));

    CrashReporter reporter(std::filesystem::path(exe).replace_extension(".log"), ORBICLOCK_VERSION,
                           runModeName(mode));
    const auto reportError = [&reporter, interactive](std::exception_ptr error) {
        const std::string report = reporter.report(error);
        if (interactive)
            QMessageBox::critical(nullptr, QStringLiteral("Orbiclock"), QString::fromStdString(report));
    };
    app.setErrorHandler(reportError);

    const SystemClock clock{};
    MainWindowServices services = baseServices(exe, clock, primaryScreenSize);
    services.reportError = reportError;
    if (!interactive) {
        return runCommandLineMode(CommandLineRun{mode, reportError, terminalStatusEcho()}, std::move(services));
    }
    services.editPlace = [appDir = exe.parent_path()](QWidget* parent, const LocationRow& row) {
        return TfmLocationProperties::editPlace(appDir, parent, row);
    };
    QWidget* mainWindow = nullptr; // set once the window exists; the question only comes later
    services.askUpdateQuestion = [&mainWindow] { return askUpdateQuestion(mainWindow); };

    TdlgMain dlgMain(services);
    mainWindow = &dlgMain;
    try {
        dlgMain.FormCreate();
    } catch (...) {
        // The window still opens; what FormCreate did not reach stays missing.
        reportError(std::current_exception());
    }

    dlgMain.show();
    return QApplication::exec();
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
