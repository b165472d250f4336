#pragma once

#include "astro/LocationOffset.h"
#include "locations/CountSpinnerModel.h"
#include "locations/LocationStore.h"
#include "locations/MainSettings.h"
#include "locations/SystemTimeZoneImport.h"
#include "wallpaper/UpdatePipeline.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <memory>

class QLabel;

namespace orbiclock {

class Clock;

/// What the main window is given by the application instead of reaching for globals.
struct MainWindowServices {
    std::filesystem::path executablePath;      ///< the real path of the running executable
    const Clock* clock = nullptr;
    std::function<ScreenSize()> screenSize;
    /// Makes a page the desktop wallpaper (an empty path: no wallpaper), the desktop colour first.
    std::function<void(const std::string&)> setActiveDesktopWallpaper;
    /// Takes the wallpaper away, leaving the desktop colour.
    std::function<void()> removeWallpaper;
    /// Reports an error that ended an event handler (the crash reporter).
    std::function<void(std::exception_ptr)> reportError;
    /// Shows a status text of the update outside the window too (command-line progress); may be empty.
    std::function<void(const std::string&)> statusEcho;
    /// The close-time question; returns 6 (Yes), 7 (No) or 2 (Cancel).
    std::function<int()> askUpdateQuestion;
    /// The system's time zone for ImportSystemTimeZone; empty: the zone local time uses (TZ, /etc/localtime).
    std::function<SystemTimeZoneReading()> systemTimeZone;
};

/// The main settings window `dlgMain`: owns the location table, the count spinner, the settings and the
/// update pipeline. The command-line modes create it hidden and call its operations directly.
class TdlgMain : public QDialog, private UpdateHost {
    Q_OBJECT

public:
    explicit TdlgMain(MainWindowServices services, QWidget* parent = nullptr);
    ~TdlgMain() override;

    /// Prepares paths, table, spinner and layout values. Raises the data layer's error when the table
    /// cannot be opened; what was done before the error stays done.
    void FormCreate();
    /// Writes `MaxNumLocs`, then asks the update question when places changed.
    /// Returns whether the window may close. Raises "Unable to write to <file>".
    bool FormClose();
    /// Closes the location table.
    void FormDestroy() noexcept;

    /// Runs the whole wallpaper update.
    void btnUpdateClick();
    /// Refilters the list to the spinner's new value.
    void spinNumCitiesChange();

    /// How far b's clock is ahead of a's now, summer time applied to each.
    LocationOffset ComputeLocationOffset(const TLocationRec& a, const TLocationRec& b) const;
    void SetActiveDesktopWallpaper(const std::string& path);
    void RemoveWallpaper();
    /// Copies the system's time zone into the current location.
    void ImportSystemTimeZone();

    /// The command-line modes drop the place grid before they run.
    void destroyPlaceGrid();

    LocationStore& tblLocations() noexcept { return m_store; }
    CountSpinnerModel& spinNumCities() noexcept { return m_spinner; }
    /// Sets the spinner's value (clamped) and refilters when the change handler is attached.
    void setVisibleCount(std::int32_t value);
    const MainSettings& settings() const noexcept { return m_settings; }
    OverlaySize overlaySize() const noexcept { return m_overlay; }
    bool locationsChanged() const noexcept { return m_locationsChanged; }
    void setLocationsChanged(bool changed) override { m_locationsChanged = changed; }
    const UpdatePipeline& pipeline() const noexcept { return *m_pipeline; }
    const std::filesystem::path& helpFile() const noexcept { return m_helpFile; }
    QLabel* pnlStatus() const noexcept { return m_pnlStatus; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void LoadSettings();
    void rebuildPipeline();
    // UpdateHost
    void setWindowEnabled(bool enabled) override;
    void setStatusText(const std::string& text) override;
    void setStatusVisible(bool visible) override;
    void processMessages() override;

    MainWindowServices m_services;
    std::filesystem::path m_appDir;
    MainSettings m_settings;
    LocationStore m_store;
    CountSpinnerModel m_spinner;
    bool m_spinnerHandlerAttached = false;
    bool m_locationsChanged = false;
    OverlaySize m_overlay;
    std::filesystem::path m_helpFile;
    QLabel* m_pnlStatus = nullptr;
    std::unique_ptr<DefaultUpdateSteps> m_steps;
    std::unique_ptr<UpdatePipeline> m_pipeline;
};

} // namespace orbiclock
