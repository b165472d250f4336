#include "locations/CityListModel.h"

#include "locations/SearchFold.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <charconv>
#include <map>

namespace orbiclock {

namespace {

constexpr quintptr kTopLevel = 0;

} // namespace

QString formatOneDecimal(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    // The 15 significant digits a double holds for sure, then the picture's rounding on that decimal
    // form, so 0.15 (stored as 0.1499999…) still shows as 0.2.
    const double magnitude = std::fabs(value);
    const int exponent = magnitude == 0.0 ? 0 : static_cast<int>(std::floor(std::log10(magnitude)));
    const int decimals = std::clamp(14 - exponent, 2, 40);
    char digits[400];
    // to_chars is locale-independent: the point is always '.'.
    const auto end = std::to_chars(digits, digits + sizeof digits, magnitude, std::chars_format::fixed, decimals).ptr;
    const QString decimal = QString::fromLatin1(digits, end - digits);
    const qsizetype point = decimal.indexOf(u'.');
    QString whole = decimal.left(point);
    int tenth = decimal.at(point + 1).digitValue();
    const bool roundUp = decimal.at(point + 2).digitValue() >= 5;
    if (roundUp && ++tenth == 10) {
        tenth = 0;
        // Carry into the whole part, digit by digit.
        qsizetype i = whole.size() - 1;
        for (; i >= 0 && whole.at(i) == u'9'; --i)
            whole[i] = u'0';
        if (i < 0)
            whole.prepend(u'1');
        else
            whole[i] = QChar(u'0' + whole.at(i).digitValue() + 1);
    }
    const bool zero = tenth == 0 && std::all_of(whole.cbegin(), whole.cend(), [](QChar c) { return c == u'0'; });
    const QString sign = (value < 0 && !zero) ? QStringLiteral("-") : QString();
    return sign + whole + QLocale().decimalPoint() + QChar(u'0' + tenth);
}

QString formatThousands(std::int64_t value)
{
    if (value == 0)
        return {};
    const QString digits = QString::number(value < 0 ? -value : value);
    const QString separator = QLocale().groupSeparator();
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += separator;
        out += digits.at(i);
    }
    return value < 0 ? u'-' + out : out;
}

CityListModel::CityListModel(QObject* parent) : QAbstractItemModel(parent)
{
    regroup();
}

void CityListModel::setRows(std::vector<CityRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_nameKeys.clear();
    regroup();
    endResetModel();
}

void CityListModel::setGrouping(CityGrouping grouping)
{
    if (grouping == m_grouping)
        return;
    beginResetModel();
    m_grouping = grouping;
    regroup();
    endResetModel();
}

void CityListModel::regroup()
{
    m_groups.clear();
    if (m_grouping == CityGrouping::None) {
        Group all;
        all.members.resize(m_rows.size());
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            all.members[i] = i;
        m_groups.push_back(std::move(all));
        return;
    }
    if (m_grouping == CityGrouping::Country) {
        // The rows come ordered by country, so a country's rows are consecutive; a map keeps the
        // grouping right for any order all the same.
        std::map<QString, std::size_t> byName;
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            auto [it, added] = byName.try_emplace(m_rows[i].LocalName, m_groups.size());
            if (added)
                m_groups.push_back(Group{m_rows[i].LocalName, {}});
            m_groups[it->second].members.push_back(i);
        }
        return;
    }
    std::map<double, std::vector<std::size_t>> byOffset;
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        byOffset[m_rows[i].GMT].push_back(i);
    for (auto& [offset, members] : byOffset)
        m_groups.push_back(Group{QStringLiteral("GMT ") + formatOneDecimal(offset), std::move(members)});
}

const CityRow* CityListModel::city(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    const bool flat = m_grouping == CityGrouping::None;
    if (flat && index.internalId() == kTopLevel)
        return &m_rows[m_groups.front().members[static_cast<std::size_t>(index.row())]];
    if (!flat && index.internalId() != kTopLevel) {
        const Group& g = m_groups[index.internalId() - 1];
        return &m_rows[g.members[static_cast<std::size_t>(index.row())]];
    }
    return nullptr;
}

QModelIndex CityListModel::cityIndex(const Group& group, std::size_t member, int column) const
{
    const int row = static_cast<int>(member);
    if (m_grouping == CityGrouping::None)
        return createIndex(row, column, kTopLevel);
    const auto groupNumber = static_cast<quintptr>(&group - m_groups.data());
    return createIndex(row, column, groupNumber + 1);
}

QModelIndex CityListModel::findCityByName(const QString& foldedPrefix, int column) const
{
    if (m_nameKeys.size() != m_rows.size()) {
        m_nameKeys.clear();
        m_nameKeys.reserve(m_rows.size());
        for (const CityRow& row : m_rows)
            m_nameKeys.push_back(foldForSearch(row.F_Name));
    }
    for (const Group& g : m_groups) {
        for (std::size_t k = 0; k < g.members.size(); ++k) {
            if (m_nameKeys[g.members[k]].startsWith(foldedPrefix))
                return cityIndex(g, k, column);
        }
    }
    return {};
}

QModelIndex CityListModel::firstCity(int column) const
{
    return findCity([](const CityRow&) { return true; }, column);
}

QModelIndex CityListModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= ColumnCount || row >= rowCount(parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, kTopLevel);
    return createIndex(row, column, static_cast<quintptr>(parent.row()) + 1);
}

QModelIndex CityListModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == kTopLevel)
        return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, kTopLevel);
}

int CityListModel::rowCount(const QModelIndex& parent) const
{
    if (m_grouping == CityGrouping::None)
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    if (!parent.isValid())
        return static_cast<int>(m_groups.size());
    if (parent.internalId() != kTopLevel || parent.column() != 0)
        return 0;
    return static_cast<int>(m_groups[static_cast<std::size_t>(parent.row())].members.size());
}

int CityListModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

QString CityListModel::displayText(const CityRow& row, int column)
{
    switch (column) {
    case ColCountryId: return QString::number(row.Country_ID);
    case ColCityId: return QString::number(row.Id_1);
    case ColZoneId: return QString::number(row.Id);
    case ColCountry: return row.LocalName;
    case ColCityName: return row.F_Name;
    case ColGmt: return formatOneDecimal(row.GMT);
    case ColZone: return QString::number(row.Zone);
    case ColLat: return formatOneDecimal(row.Lat);
    case ColLon: return formatOneDecimal(row.Lon);
    case ColPopulation: return formatThousands(row.Population);
    default: return {};
    }
}

QVariant CityListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (const CityRow* row = city(index)) {
        if (role == Qt::DisplayRole)
            return displayText(*row, index.column());
        if (role == Qt::TextAlignmentRole && index.column() >= ColGmt && index.column() != ColZone)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    // A group header row: its title and size, in whichever column the view spans over the row.
    if (role == Qt::DisplayRole) {
        const Group& g = m_groups[static_cast<std::size_t>(index.row())];
        return QStringLiteral("%1 (%2)").arg(g.title).arg(g.members.size());
    }
    return {};
}

QVariant CityListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ColCountryId: return QStringLiteral("Country_ID");
    case ColCityId: return QStringLiteral("Id_1");
    case ColZoneId: return QStringLiteral("Id");
    case ColCountry: return QStringLiteral("Country");
    case ColCityName: return QStringLiteral("City Name");
    case ColGmt: return QStringLiteral("GMT");
    case ColZone: return QStringLiteral("Zone");
    case ColLat: return QStringLiteral("Lat");
    case ColLon: return QStringLiteral("Lon");
    case ColPopulation: return QStringLiteral("Population");
    default: return {};
    }
}

Qt::ItemFlags CityListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (city(index) != nullptr)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    return Qt::ItemIsEnabled;
}

} // namespace orbiclock
