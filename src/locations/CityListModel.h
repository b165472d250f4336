#pragma once

#include "locations/CityRow.h"

#include <QAbstractItemModel>

#include <vector>

namespace orbiclock {

/// How the city list groups its rows.
enum class CityGrouping { None, Country, Offset };

/// The rows of the city statement as the list shows them: flat, or grouped under one header row per
/// country or per zone offset. Rows keep the statement's order (country, city name, offset); offset
/// groups are ordered by offset. Columns, hidden ones included, in their fixed order:
/// Country_ID, Id_1, Id (hidden), "Country", "City Name", "GMT", Zone (hidden), "Lat", "Lon", "Population".
class CityListModel final : public QAbstractItemModel {
    Q_OBJECT

public:
    /// The shown columns come first, so a group header can span the row from the first column.
    enum Column : int {
        ColCountry, ColCityName, ColGmt, ColLat, ColLon, ColPopulation, ColCountryId, ColCityId, ColZoneId,
        ColZone, ColumnCount
    };

    explicit CityListModel(QObject* parent = nullptr);

    /// Replaces every row; the grouping stays.
    void setRows(std::vector<CityRow> rows);
    /// Regroups the rows.
    void setGrouping(CityGrouping grouping);
    [[nodiscard]] CityGrouping grouping() const noexcept { return m_grouping; }

    /// The number of cities (group header rows not counted).
    [[nodiscard]] int cityCount() const noexcept { return static_cast<int>(m_rows.size()); }
    /// The city shown at `index` (any column), or nullptr for a group header or an invalid index.
    [[nodiscard]] const CityRow* city(const QModelIndex& index) const;
    /// The index (column `column`) of the first city in list order for which `match` holds, or an
    /// invalid index.
    template <typename Predicate>
    [[nodiscard]] QModelIndex findCity(Predicate match, int column = ColCityName) const
    {
        for (const Group& g : groupsOrFlat()) {
            for (std::size_t k = 0; k < g.members.size(); ++k) {
                if (match(m_rows[g.members[k]]))
                    return cityIndex(g, k, column);
            }
        }
        return {};
    }
    /// The index (column `column`) of the first city in list order whose name's search key (see
    /// foldForSearch) begins with `foldedPrefix`, or an invalid index. The keys are made once per
    /// set of rows, on the first search.
    [[nodiscard]] QModelIndex findCityByName(const QString& foldedPrefix, int column = ColCityName) const;
    /// The first city in list order, or an invalid index when the list is empty.
    [[nodiscard]] QModelIndex firstCity(int column = ColCityName) const;

    /// The display text of a value in a column: "0.0" pictures for the offset and the coordinates
    /// (halves away from zero), "#,###" for the population (empty for 0).
    [[nodiscard]] static QString displayText(const CityRow& row, int column);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Group {
        QString title;
        std::vector<std::size_t> members; ///< indexes into m_rows, in list order
    };

    void regroup();
    [[nodiscard]] const std::vector<Group>& groupsOrFlat() const noexcept { return m_groups; }
    [[nodiscard]] QModelIndex cityIndex(const Group& group, std::size_t member, int column) const;

    std::vector<CityRow> m_rows;
    mutable std::vector<QString> m_nameKeys; ///< search keys of the names, made on the first search
    CityGrouping m_grouping = CityGrouping::None;
    /// With no grouping one group holding every row, shown as top-level rows.
    std::vector<Group> m_groups;
};

/// A number with the picture "0.0": one decimal, at least one integer digit, the half of the last
/// digit rounded away from zero on the number's 15-digit decimal form; a value that rounds to zero
/// shows no sign. Example: 5.75 gives "5.8", -3.5 gives "-3.5", -0.04 gives "0.0".
QString formatOneDecimal(double value);

/// A whole number with the picture "#,###": digits grouped by three with the locale's group separator,
/// nothing for 0. Example: 8336817 gives "8,336,817".
QString formatThousands(std::int64_t value);

} // namespace orbiclock
