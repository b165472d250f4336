#include "locations/LocationTableModel.h"

#include "locations/LocationTexts.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace orbiclock {
namespace {

constexpr int kColumnCount = static_cast<int>(LocationColumn::Count);

LocationColumn columnOf(int section)
{
    return static_cast<LocationColumn>(section);
}

bool centred(LocationColumn column)
{
    return column == LocationColumn::GMT || column == LocationColumn::UsesSummerTime;
}

} // namespace

LocationTableModel::LocationTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void LocationTableModel::setRows(std::vector<LocationRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void LocationTableModel::updateRow(int row, const LocationRow& values)
{
    if (row < 0 || row >= rowCount())
        return;
    m_rows[static_cast<std::size_t>(row)] = values;
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

QString LocationTableModel::headerText(LocationColumn column)
{
    switch (column) {
    case LocationColumn::Longitude: return QStringLiteral("Longitude");
    case LocationColumn::Latitude: return QStringLiteral("Latitude");
    case LocationColumn::City: return QStringLiteral("City");
    case LocationColumn::Country: return QStringLiteral("Country");
    case LocationColumn::GMT: return QStringLiteral("GMT");
    case LocationColumn::UsesSummerTime: return QStringLiteral("Uses ST");
    case LocationColumn::Count: break;
    }
    return {};
}

int LocationTableModel::columnWidth(LocationColumn column)
{
    switch (column) {
    case LocationColumn::Longitude: return 70;
    case LocationColumn::Latitude: return 70;
    case LocationColumn::City: return 189;
    case LocationColumn::Country: return 133;
    case LocationColumn::GMT: return 0;
    case LocationColumn::UsesSummerTime: return 49;
    case LocationColumn::Count: break;
    }
    return 0;
}

int LocationTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int LocationTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant LocationTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount)
        return {};
    const LocationRow& row = m_rows[static_cast<std::size_t>(index.row())];
    const LocationColumn column = columnOf(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (column) {
        case LocationColumn::Longitude: return tblLocationsLongitudeGetText(row.Longitude);
        case LocationColumn::Latitude: return tblLocationsLatitudeGetText(row.Latitude);
        case LocationColumn::City: return tblLocationsname_CityGetText(row);
        case LocationColumn::Country: return tblLocationsname_CountryGetText(row);
        case LocationColumn::GMT: return tblLocationsGMTGetText(row.GMT);
        case LocationColumn::UsesSummerTime:
        case LocationColumn::Count: return {};
        }
        return {};
    case Qt::CheckStateRole:
        if (column == LocationColumn::UsesSummerTime)
            return row.UsesSummerTime ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole:
        if (centred(column))
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case kSortRole:
        switch (column) {
        case LocationColumn::Longitude: return row.Longitude;
        case LocationColumn::Latitude: return row.Latitude;
        case LocationColumn::City: return tblLocationsname_CityGetText(row);
        case LocationColumn::Country: return tblLocationsname_CountryGetText(row);
        case LocationColumn::GMT: return row.GMT;
        case LocationColumn::UsesSummerTime: return row.UsesSummerTime;
        case LocationColumn::Count: return {};
        }
        return {};
    default:
        return {};
    }
}

QVariant LocationTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    const LocationColumn column = columnOf(section);
    if (role == Qt::DisplayRole)
        return headerText(column);
    if (role == Qt::TextAlignmentRole && centred(column))
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

Qt::ItemFlags LocationTableModel::flags(const QModelIndex& index) const
{
    // Selectable for the current row, nothing editable or checkable.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

void CheckMarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();

    // The cell's background and selection as usual, without its own check box.
    const Qt::CheckState state = cell.checkState;
    cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    cell.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    QStyleOptionViewItem box = option;
    box.features |= QStyleOptionViewItem::HasCheckIndicator;
    box.state &= ~(QStyle::State_On | QStyle::State_Off | QStyle::State_NoChange | QStyle::State_HasFocus);
    box.state |= state == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    const QRect indicator = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &box, widget);
    box.rect = QStyle::alignedRect(option.direction, Qt::AlignCenter, indicator.size(), option.rect);
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, widget);
}

} // namespace orbiclock
