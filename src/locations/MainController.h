#pragma once

#include "astro/LocationOffset.h"
#include "locations/CountSpinnerModel.h"
#include "locations/LocationStore.h"
#include "locations/MainSettings.h"
#include "locations/MainWindowServices.h"
#include "wallpaper/UpdatePipeline.h"

#include <filesystem>
#include <memory>

namespace orbiclock {

/// What `FormClose` decided: close, update first and then close, or stay open.
enum class CloseDecision { Close, UpdateThenClose, StayOpen };

/// The part of the main window that needs no window: the location table, the visible-count spinner's
/// rules, the settings file and the update pipeline. The window shows it; the command-line modes run it
/// on its own, so they start without a user interface toolkit.
/// `view` receives the update's window and status calls; whether places changed is kept here.
class MainController {
public:
    MainController(MainWindowServices services, UpdateHost& view);
    MainController(const MainController&) = delete;
    MainController& operator=(const MainController&) = delete;
    ~MainController();

    /// The table steps of FormCreate: counts every row for the spinner's maximum, then loads the settings.
    /// Raises the data layer's error when the table cannot be opened; what was done before stays done.
    void prepareTable();
    /// The last step of FormCreate: opens the rows the spinner shows ("IDX <= value").
    void openVisibleRows();
    /// Both steps of FormCreate, for a caller without a window.
    void FormCreate();
    /// Reads `MaxNumLocs` into the spinner and fixes the overlay size for the screen's width.
    void LoadSettings();
    /// Closes the table and opens it again filtered to the spinner's present value.
    void reopenVisibleRows();

    /// Writes `MaxNumLocs`, then asks the update question when places changed (no question: No).
    /// Raises "Unable to write to <file>".
    CloseDecision FormClose();
    /// The whole close for a caller without a window: FormClose, and the update when it was asked for.
    bool closeAndUpdateIfAsked();

    /// Runs the whole wallpaper update over the visible rows.
    void btnUpdateClick();
    /// How far b's clock is ahead of a's now, summer time applied to each.
    LocationOffset ComputeLocationOffset(const TLocationRec& a, const TLocationRec& b) const;
    void SetActiveDesktopWallpaper(const std::string& path);
    void RemoveWallpaper();
    /// Copies the system's time zone into the current location.
    void ImportSystemTimeZone();

    const MainWindowServices& services() const noexcept { return m_services; }
    const std::filesystem::path& appDir() const noexcept { return m_appDir; }
    LocationStore& tblLocations() noexcept { return m_store; }
    const LocationStore& tblLocations() const noexcept { return m_store; }
    CountSpinnerModel& spinNumCities() noexcept { return m_spinner; }
    const MainSettings& settings() const noexcept { return m_settings; }
    OverlaySize overlaySize() const noexcept { return m_overlay; }
    bool locationsChanged() const noexcept { return m_locationsChanged; }
    void setLocationsChanged(bool changed) noexcept { m_locationsChanged = changed; }
    const UpdatePipeline& pipeline() const noexcept { return *m_pipeline; }

private:
    class PipelineHost;

    void rebuildPipeline();

    MainWindowServices m_services;
    std::filesystem::path m_appDir;
    MainSettings m_settings;
    LocationStore m_store;
    CountSpinnerModel m_spinner;
    bool m_locationsChanged = false;
    OverlaySize m_overlay;
    std::unique_ptr<PipelineHost> m_host;
    std::unique_ptr<DefaultUpdateSteps> m_steps;
    std::unique_ptr<UpdatePipeline> m_pipeline;
};

/// `path` with its extension replaced, e.g. the executable's settings file "<exe>.ini".
std::filesystem::path withExtension(std::filesystem::path path, const char* extension);

} // namespace orbiclock
