#pragma once

#include "astro/LocationOffset.h"
#include "locations/MainController.h"
#include "locations/MainWindowServices.h"

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

/// The main settings window `dlgMain`: shows the location table and the count spinner of its controller,
/// which owns them with the settings and the update pipeline. Created hidden, it runs the command-line
/// modes too where the program needs the toolkit for the screen.
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

    LocationStore& tblLocations() noexcept { return m_controller.tblLocations(); }
    CountSpinnerModel& spinNumCities() noexcept { return m_controller.spinNumCities(); }
    /// Sets the spinner's value (clamped) and refilters when the change handler is attached.
    void setVisibleCount(std::int32_t value);
    const MainSettings& settings() const noexcept { return m_controller.settings(); }
    OverlaySize overlaySize() const noexcept { return m_controller.overlaySize(); }
    bool locationsChanged() const noexcept { return m_controller.locationsChanged(); }
    void setLocationsChanged(bool changed) override { m_controller.setLocationsChanged(changed); }
    const UpdatePipeline& pipeline() const noexcept { return m_controller.pipeline(); }
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

    void buildControls();
    /// Shows the spinner model's bounds and value in the visible spinner.
    void syncSpinnerControl();
    /// Copies the open table's rows into the grid and selects the table's current row there.
    void refreshGrid();
    /// Selects the table's current row in the grid.
    void selectCurrentRowInGrid();
    void gridRowChanged(const QModelIndex& current);
    void showStatusNote(const QString& text);
    void clearStatusNote();
    // UpdateHost
    void setWindowEnabled(bool enabled) override;
    void setStatusText(const std::string& text) override;
    void setStatusVisible(bool visible) override;
    void processMessages() override;

    MainController m_controller; // holds the services too
    bool m_spinnerHandlerAttached = false;
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
};

} // namespace orbiclock
