#pragma once

#include "locations/CityFilter.h"
#include "locations/CityRow.h"

#include <QDialog>

#include <cstdint>
#include <filesystem>
#include <memory>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orbiclock {

class CityListModel;
class CityListView;
class CityQuery;

/// The values of the chosen city that the location properties dialog takes over. Rules in the
/// city database's coding: N 0 last, 1..4, 5 second-last; J 1 Monday … 7 Sunday; M 1 … 12.
/// With an empty list every field is 0, false or empty.
struct SelectedCity {
    std::int32_t Id = 0;          ///< Cities.Id, stored as id_City
    std::int32_t Country_ID = 0;  ///< World.Id of the city's country, stored as id_Country
    std::int32_t Zone = 0;        ///< Timezone.Id of the city's zone, stored as id_Timezone
    QString F_Name;               ///< city name
    QString LocalName;            ///< country name
    double Lat = 0.0;             ///< degrees north
    double Lon = 0.0;             ///< degrees east
    double GMT = 0.0;             ///< the zone's standard offset in hours east
    bool UsesSummerTime = false;  ///< the zone's "Vrai ou faux"
    std::int32_t N_ete = 0, J_ete = 0, M_ete = 0;
    std::int32_t N_hiv = 0, J_hiv = 0, M_hiv = 0;

    friend bool operator==(const SelectedCity&, const SelectedCity&) = default;
};

/// The city selection dialog: the cities of the city database with their country, offset,
/// coordinates and population, filtered by the beginning of a city or country name.
/// It reads the database and never writes to it.
class TfmSelectCity final : public QDialog {
    Q_OBJECT

public:
    /// The dialog's help context number.
    static constexpr int kHelpContext = 60;

    /// Opens the city list over `dataDir`/Cities.db with every city that has a name.
    /// Raises FileError or OrbiclockError when the database cannot be opened or read.
    explicit TfmSelectCity(const std::filesystem::path& dataDir, QWidget* parent = nullptr);
    ~TfmSelectCity() override;

    /// Makes the city whose identifier is `cityId` the current row; when no city has it, the first
    /// row. Returns whether the city was found.
    bool positionOnCity(std::int32_t cityId);
    /// The current row's values; all zero or empty when the list is empty.
    [[nodiscard]] SelectedCity currentCity() const;
    /// The current row as the statement returned it, or nullptr when the list is empty.
    [[nodiscard]] const CityRow* currentRow() const;

    /// The number of rows of the list.
    [[nodiscard]] int cityCount() const;
    /// The statement of the last rebuild, one entry per line.
    [[nodiscard]] QStringList statement() const;
    /// The filter of the last rebuild.
    [[nodiscard]] const CityFilter& filter() const noexcept { return m_filter; }

    /// Regroups the list (also offered by the dialog's "Group by" list); the current city stays.
    void setGrouping(int grouping);

    /// The filter choice changed: enables the matching text field, focuses it, and rebuilds the list.
    void rgSelByNameClick();
    /// Rebuilds the list from the chosen filter and its text. The dialog is disabled with a wait
    /// cursor meanwhile and re-enabled on every path; raises OrbiclockError when the statement fails,
    /// leaving the list empty until the next successful rebuild.
    void edFilterTextChange();

signals:
    /// Help was asked for (the "Help" button or F1), with this dialog's context number.
    void helpRequested(int context);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void UpdateCityCount();
    void buildControls();
    void applyGroupingLayout();

    std::unique_ptr<CityQuery> m_query;
    CityFilter m_filter;

    QGroupBox* m_rgSelByName = nullptr;
    QButtonGroup* m_filterChoice = nullptr;
    QRadioButton* m_rbNoFilter = nullptr;
    QRadioButton* m_rbCity = nullptr;
    QRadioButton* m_rbCountry = nullptr;
    QLineEdit* m_edSelCityByName = nullptr;
    QLineEdit* m_edSelCityByCountry = nullptr;
    QGroupBox* m_gbListCities = nullptr;
    QComboBox* m_cbGroupBy = nullptr;
    CityListView* m_grid = nullptr;
    CityListModel* m_cities = nullptr;
    QPushButton* m_btnOK = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QPushButton* m_dxButton1 = nullptr;
    bool m_centred = false;
};

} // namespace orbiclock
