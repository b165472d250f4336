#pragma once

#include "locations/LocationPropertiesValues.h"
#include "locations/LocationRow.h"

#include <QDialog>

#include <array>
#include <filesystem>
#include <optional>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;

namespace orbiclock {

class ButtonEdit;
class DecimalSpinBox;
class WholeSpinBox;
struct SelectedCity;

/// The location properties dialog `fmLocationProperties`: name and country, latitude, longitude,
/// standard offset, summer-time rules and the map position of one place, with a preview of the
/// reference map moved so that the position sits under red cross hairs. The whole set of values can
/// be taken over from the city database. The dialog never touches the table: its caller fills it
/// from a row and writes it back into one.
class TfmLocationProperties final : public QDialog {
    Q_OBJECT

public:
    /// The dialog's help context number.
    static constexpr int kHelpContext = 50;
    /// The client area.
    static constexpr int kClientWidth = 837;
    static constexpr int kClientHeight = 512;
    /// The preview panel `pnlImage`.
    static constexpr int kPreviewWidth = 502;
    static constexpr int kPreviewHeight = 435;
    /// The city the selection opens on when the place was never picked from the database.
    static constexpr std::int32_t kDefaultCityId = 1131;
    /// The hint of the city field and what its button says when there is no city database.
    static constexpr const char* kCityHint = "Select|Select a city and its data using the Varo Cities database";
    static constexpr const char* kCityDatabaseMissing = "The city database is not available";

    /// A dialog over the application folder `appDir`: the reference map comes from
    /// `appDir`/opt/world_reference.gif, the city database from `appDir`/data. A missing map shows an
    /// empty blue field; a missing city database disables the city button.
    explicit TfmLocationProperties(const std::filesystem::path& appDir, QWidget* parent = nullptr);
    ~TfmLocationProperties() override;

    /// Opens the dialog modally over `parent` on `row`: returns the row with the dialog's values on OK,
    /// nothing on Cancel. The dialog is freed before it returns.
    static std::optional<LocationRow> editPlace(const std::filesystem::path& appDir, QWidget* parent,
                                                const LocationRow& row);

    /// Fills the controls from a stored row; the stored map position wins over the one computed while
    /// the coordinates are filled in. Raises RangeError for coordinates beyond 32-bit whole parts.
    void fillFromRow(const LocationRow& row);
    /// Writes the controls into `row` (its `IDX` and `name_Timezone` stay).
    void writeIntoRow(LocationRow& row) const;
    /// What the controls show, in their own terms (empty or unreadable spinner texts as the minimum).
    LocationPropertiesValues shownValues() const;

    /// Takes a chosen city over: names, identifiers, coordinates, offset, summer-time flag and rules
    /// (weekdays and months from the database's 1-based coding), and the map position projected from
    /// the city's exact coordinates.
    void takeCityOver(const SelectedCity& city);

    /// The city field's button: opens the city selection on the place's city and takes the chosen
    /// city over on OK. This dialog is disabled meanwhile and enabled again on every path.
    void btnEditCityButtonClick();
    /// Shows the rule rows exactly when the box is ticked.
    void chkHasSummerTimeRulesClick();
    /// A latitude or longitude control changed: the position spinners follow the shown coordinates.
    void spinDegLatChange();
    /// A position spinner changed: the preview moves the map position under the cross hairs.
    void spinHorChange();

    // The controls, under their names.
    ButtonEdit* btnEditCity() const noexcept { return m_btnEditCity; }
    ButtonEdit* btnEditCountry() const noexcept { return m_btnEditCountry; }
    QGroupBox* gbLocation() const noexcept { return m_gbLocation; }
    QGroupBox* gbSummerTimeRules() const noexcept { return m_gbSummerTimeRules; }
    /// The time-zone identifier kept with the rules group.
    std::int32_t summerTimeRulesTag() const noexcept { return m_zoneTag; }
    WholeSpinBox* spinDegLat() const noexcept { return m_spinDegLat; }
    DecimalSpinBox* spinMinutLat() const noexcept { return m_spinMinutLat; }
    QComboBox* cbSignLat() const noexcept { return m_cbSignLat; }
    WholeSpinBox* spinDegLong() const noexcept { return m_spinDegLong; }
    DecimalSpinBox* spinMinutLong() const noexcept { return m_spinMinutLong; }
    QComboBox* cbSignLong() const noexcept { return m_cbSignLong; }
    WholeSpinBox* spinHrsGmt() const noexcept { return m_spinHrsGmt; }
    WholeSpinBox* spinMinutGmt() const noexcept { return m_spinMinutGmt; }
    QComboBox* cbSignGmt() const noexcept { return m_cbSignGmt; }
    WholeSpinBox* spinHor() const noexcept { return m_spinHor; }
    WholeSpinBox* spinVert() const noexcept { return m_spinVert; }
    QCheckBox* chkHasSummerTimeRules() const noexcept { return m_chkHasSummerTimeRules; }
    /// A rule list by its place in `RuleList` order.
    QComboBox* ruleList(RuleList list) const noexcept { return m_ruleLists[list]; }
    QFrame* pnlImage() const noexcept { return m_pnlImage; }
    QLabel* imgWorld() const noexcept { return m_imgWorld; }
    QPushButton* btnOK() const noexcept { return m_btnOK; }
    QPushButton* btnCancel() const noexcept { return m_btnCancel; }
    QPushButton* dxButton1() const noexcept { return m_dxButton1; }
    /// Whether the reference map picture was read (otherwise the preview is an empty field).
    bool referenceMapLoaded() const noexcept { return m_mapLoaded; }

signals:
    /// Help was asked for (the "Help" button or F1) with the context number found on the control
    /// and its parents. The dialog hands it to the program's help router itself.
    void helpRequested(int context);

protected:
    void showEvent(QShowEvent* event) override;

private:
    class ClientDisabled;

    void buildControls();
    QGroupBox* buildLocationGroup();
    QGroupBox* buildAdjustmentGroup();
    QGroupBox* buildRulesGroup();
    QGroupBox* buildPreviewGroup();
    void loadReferenceMap(const std::filesystem::path& file);
    void showSplit(const SplitValue& parts, QComboBox* side, WholeSpinBox* whole, QWidget* minutes);
    void showMapPosition(MapPoint position);
    void setChecked(bool checked);
    void updateCityButton();
    bool cityDatabaseAvailable() const;

    std::filesystem::path m_dataDir;
    bool m_mapLoaded = false;
    bool m_centred = false;
    std::int32_t m_zoneTag = 0;

    QWidget* m_client = nullptr;
    QGroupBox* m_gbLocation = nullptr;
    ButtonEdit* m_btnEditCity = nullptr;
    ButtonEdit* m_btnEditCountry = nullptr;
    WholeSpinBox* m_spinDegLat = nullptr;
    DecimalSpinBox* m_spinMinutLat = nullptr;
    QComboBox* m_cbSignLat = nullptr;
    WholeSpinBox* m_spinDegLong = nullptr;
    DecimalSpinBox* m_spinMinutLong = nullptr;
    QComboBox* m_cbSignLong = nullptr;
    WholeSpinBox* m_spinHrsGmt = nullptr;
    WholeSpinBox* m_spinMinutGmt = nullptr;
    QComboBox* m_cbSignGmt = nullptr;
    WholeSpinBox* m_spinHor = nullptr;
    WholeSpinBox* m_spinVert = nullptr;
    QGroupBox* m_gbSummerTimeRules = nullptr;
    QCheckBox* m_chkHasSummerTimeRules = nullptr;
    std::array<QComboBox*, kRuleListCount> m_ruleLists{};
    std::array<QLabel*, 4> m_ruleLabels{}; // "Starts (+1h) :", "of", "Ends (-1h) :", "of"
    QFrame* m_pnlImage = nullptr;
    QLabel* m_imgWorld = nullptr;
    QFrame* m_lineHorizontal = nullptr;
    QFrame* m_lineVertical = nullptr;
    QPushButton* m_btnOK = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QPushButton* m_dxButton1 = nullptr;
};

} // namespace orbiclock
