#pragma once

#include "locations/LocationRow.h"

#include <QAbstractTableModel>
#include <QStyledItemDelegate>

#include <vector>

namespace orbiclock {

/// The place list's columns, in the order the grid shows them.
enum class LocationColumn : int { Longitude, Latitude, City, Country, GMT, UsesSummerTime, Count };

/// A read-only table model over a copy of the location table's visible rows, in the table's own
/// `IDX` order: source row n is the table's row n. The display texts are those of LocationTexts.h;
/// the role `kSortRole` gives the raw field for sorting (longitude west to east, and so on).
class LocationTableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kSortRole = Qt::UserRole;

    explicit LocationTableModel(QObject* parent = nullptr);

    /// Replaces every row (an empty list for a closed table).
    void setRows(std::vector<LocationRow> rows);
    /// Replaces one row after it was rewritten in the table.
    void updateRow(int row, const LocationRow& values);
    const std::vector<LocationRow>& rows() const noexcept { return m_rows; }

    /// The header text and width in pixels of a column (0: the grid's default width).
    static QString headerText(LocationColumn column);
    static int columnWidth(LocationColumn column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<LocationRow> m_rows;
};

/// Draws a cell's check state as a centred, read-only check box: the grid's boolean look.
class CheckMarkDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace orbiclock
