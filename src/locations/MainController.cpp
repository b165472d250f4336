#include "locations/MainController.h"

#include "astro/Clock.h"
#include "astro/OrbiclockError.h"

namespace orbiclock {

/// The pipeline's host: the window and status calls go to the view, the "places changed" flag stays
/// with the controller, which FormClose asks.
class MainController::PipelineHost final : public UpdateHost {
public:
    PipelineHost(UpdateHost& view, bool& locationsChanged) : m_view(view), m_locationsChanged(locationsChanged) {}
    void setWindowEnabled(bool enabled) override { m_view.setWindowEnabled(enabled); }
    void setStatusText(const std::string& text) override { m_view.setStatusText(text); }
    void setStatusVisible(bool visible) override { m_view.setStatusVisible(visible); }
    void processMessages() override { m_view.processMessages(); }
    void setLocationsChanged(bool changed) override { m_locationsChanged = changed; }

private:
    UpdateHost& m_view;
    bool& m_locationsChanged;
};

std::filesystem::path withExtension(std::filesystem::path path, const char* extension)
{
    path.replace_extension(extension);
    return path;
}

MainController::MainController(MainWindowServices services, UpdateHost& view)
    : m_services(std::move(services)),
      m_appDir(m_services.executablePath.parent_path()),
      m_settings(withExtension(m_services.executablePath, ".ini")),
      m_host(std::make_unique<PipelineHost>(view, m_locationsChanged))
{
    if (m_services.clock == nullptr || !m_services.screenSize)
        throw OrbiclockError("The main window needs a clock and a screen size");
    rebuildPipeline();
}

MainController::~MainController()
{
    m_store.close();
}

void MainController::rebuildPipeline()
{
    m_steps = std::make_unique<DefaultUpdateSteps>(
        [this](const std::string& pagePath) { SetActiveDesktopWallpaper(pagePath); });
    UpdateEnvironment env;
    env.appDir = m_appDir;
    env.clock = m_services.clock;
    env.screenSize = m_services.screenSize;
    env.overlay = m_overlay;
    env.visibleCount = [this] { return m_spinner.value(); };
    m_pipeline = std::make_unique<UpdatePipeline>(std::move(env), *m_host, *m_steps);
}

void MainController::prepareTable()
{
    m_locationsChanged = false;
    m_store.setDirectory(m_appDir / "data");
    m_store.setFiltered(false);
    m_store.open();
    m_spinner.setMaximum(m_store.recordCount() - 1);
    m_store.close();
    LoadSettings();
}

void MainController::openVisibleRows()
{
    m_store.setFilterMaxIdx(m_spinner.value());
    m_store.setFiltered(true);
    m_store.open();
}

void MainController::FormCreate()
{
    prepareTable();
    openVisibleRows();
}

void MainController::LoadSettings()
{
    const LoadedSettings loaded = applyStartupSettings(m_settings, m_services.screenSize().width, m_spinner);
    m_overlay = loaded.overlay;
    rebuildPipeline(); // the overlay size is fixed from here on
}

void MainController::reopenVisibleRows()
{
    m_store.close();
    openVisibleRows();
}

CloseDecision MainController::FormClose()
{
    m_settings.writeMaxNumLocs(m_spinner.value());
    if (!m_locationsChanged)
        return CloseDecision::Close;
    const int answer = m_services.askUpdateQuestion ? m_services.askUpdateQuestion() : 7;
    if (answer == 6)
        return CloseDecision::UpdateThenClose;
    return answer == 7 ? CloseDecision::Close : CloseDecision::StayOpen;
}

bool MainController::closeAndUpdateIfAsked()
{
    const CloseDecision decision = FormClose();
    if (decision == CloseDecision::UpdateThenClose)
        btnUpdateClick();
    return decision != CloseDecision::StayOpen;
}

void MainController::btnUpdateClick()
{
    m_pipeline->run(m_store);
}

LocationOffset MainController::ComputeLocationOffset(const TLocationRec& a, const TLocationRec& b) const
{
    return orbiclock::ComputeLocationOffset(a, b, *m_services.clock);
}

void MainController::SetActiveDesktopWallpaper(const std::string& path)
{
    if (!m_services.setActiveDesktopWallpaper)
        throw OrbiclockError("No desktop installation is available on this system");
    m_services.setActiveDesktopWallpaper(path);
}

void MainController::RemoveWallpaper()
{
    if (!m_services.removeWallpaper)
        throw OrbiclockError("No desktop installation is available on this system");
    m_services.removeWallpaper();
}

void MainController::ImportSystemTimeZone()
{
    const SystemTimeZoneReading zone = m_services.systemTimeZone ? m_services.systemTimeZone() : readSystemTimeZone();
    m_store.first();
    const SystemTimeZoneImport imported = importSystemTimeZone(m_store.current(), zone.info);
    // What the row cannot hold is not an error: the import goes on, and the report file says why.
    if (m_services.reportError) {
        for (const std::string& note : zone.notes)
            m_services.reportError(std::make_exception_ptr(SystemTimeZoneNote(note)));
        for (const std::string& note : imported.notes)
            m_services.reportError(std::make_exception_ptr(SystemTimeZoneNote(zone.source + ": " + note)));
    }
    m_store.overwriteCurrent(imported.row);
}

} // namespace orbiclock
