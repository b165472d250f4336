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
#include <optional>

class QLabel;
class QModelIndex;
class QPushButton;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;

namespace orbiclock {

class Clock;
class HelpRouter;
class LocationTableModel;

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
    /// Edits one place in the location properties dialog, shown modally over `parent`: returns the
    /// edited row on OK, nothing on Cancel. The controls of `parent` are disabled meanwhile, the
    /// window itself stays enabled so that a dialog parented to it takes input. Empty: editing is
    /// not available and Modify says so.
    std::function<std::optional<LocationRow>(QWidget* parent, const LocationRow& row)> editPlace;
    /// The system's time zone for ImportSystemTimeZone; empty: the zone local time uses (TZ, /etc/localtime).
    std::function<SystemTimeZoneReading()> systemTimeZone;
};

/// The main settings window `dlgMain`: owns the location table, the count spinner, the settings and the
/// update pipeline. The command-line modes create it hidden and call its operations directly.
class TdlgMain : public QDialog, private UpdateHost {
    Q_OBJECT

public:
    /// The window's help context number.
    static constexpr int kHelpContext = 40;
    /// What the status panel says when Modify has no properties dialog to open.
    static constexpr const char* kEditingUnavailable = "Editing is not available";
    /// The notice line and the link of the window's top edge.
    static constexpr const char* kNotice = "Orbiclock: a live world-clock map on your desktop";
    static constexpr const char* kHomePage = "https://github.com/orbiclock/orbiclock";

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
    /// Refilters the list to the spinner's new value; the grid follows the reopened table.
    void spinNumCitiesChange();
    /// Edits the current row in the location properties dialog; on OK writes it back and sets
    /// `LocationsChanged`. The controls are disabled meanwhile and enabled again on every path.
    void btnModifyClick();
    /// A double-click anywhere on the grid: clicks Modify.
    void cxGrid1DblClick();
    /// Opens help on this window's topic.
    void btnHelpClick();
    /// Closes the window (which runs `FormClose`).
    void btnExitClick();

    /// How far b's clock is ahead of a's now, summer time applied to each.
    LocationOffset ComputeLocationOffset(const TLocationRec& a, const TLocationRec& b) const;
    void SetActiveDesktopWallpaper(const std::string& path);
    void RemoveWallpaper();
    /// Copies the system's time zone into the current location.
    void ImportSystemTimeZone();

    /// The command-line modes drop the place grid before they run; it is not rebuilt.
    void destroyPlaceGrid();
    /// The place grid `cxGrid1`, nullptr once destroyed.
    QTableView* cxGrid1() const noexcept { return m_cxGrid1; }
    /// The visible spinner; `spinNumCities()` is the model it shows.
    QSpinBox* spinNumCitiesControl() const noexcept { return m_spinNumCities; }
    /// The router of every help request of the program.
    HelpRouter& helpRouter() const noexcept { return *m_helpRouter; }

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
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    /// Escape does not close the settings window.
    void reject() override {}

private:
    class BusyScope;
    class ControlsDisabled;

    void LoadSettings();
    void rebuildPipeline();
    void buildControls();
    /// Shows the spinner model's bounds and value in the visible spinner.
    void syncSpinnerControl();
    /// Copies the open table's rows into the grid and selects the table's current row there.
    void refreshGrid();
    void gridRowChanged(const QModelIndex& current);
    void showStatusNote(const QString& text);
    void clearStatusNote();
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
    QWidget* m_client = nullptr;
    QTableView* m_cxGrid1 = nullptr;
    QSpinBox* m_spinNumCities = nullptr;
    QPushButton* m_btnModify = nullptr;
    QPushButton* m_btnUpdate = nullptr;
    QPushButton* m_btnHelp = nullptr;
    QPushButton* m_btnExit = nullptr;
    LocationTableModel* m_locations = nullptr;        // the table's rows, in IDX order
    QSortFilterProxyModel* m_dsLocations = nullptr;   // what the grid shows: sorted, read-only
    HelpRouter* m_helpRouter = nullptr;
    bool m_statusNoteShown = false;
    int m_busy = 0;                                    // an update or an edit is running
    bool m_centred = false;
    std::unique_ptr<DefaultUpdateSteps> m_steps;
    std::unique_ptr<UpdatePipeline> m_pipeline;
};

} // namespace orbiclock
