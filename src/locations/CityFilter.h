#pragma once

#include <QString>
#include <QStringList>

namespace orbiclock {

/// The filter of the city list: which column the typed text is matched against and the text.
/// Both empty means no filter. `column` is "Cities.F_Name" or "World.LocalName".
struct CityFilter {
    QString column;
    QString text;

    /// True when a WHERE clause is built: both the column and the text are non-empty.
    [[nodiscard]] bool active() const noexcept { return !column.isEmpty() && !text.isEmpty(); }
};

/// The filter columns offered by the dialog.
inline constexpr const char* kCityColumn = "Cities.F_Name";
inline constexpr const char* kCountryColumn = "World.LocalName";

/// The LIKE pattern for typed text: its first character upper-cased (the rest as typed), every "*"
/// turned into "%", then every "%%" into "%" (left to right, without overlap), and a "%" appended.
/// Example: "par" gives "Par%", "*york" gives "%york%", "Par*" gives "Par%%".
QString cityLikePattern(const QString& typed);

/// The ninth line of the city statement for a filter: empty when the filter is not active, otherwise
/// "WHERE  ( " + the match expression of the column + ")". The pattern is not part of the text: the
/// expression holds two "?" placeholders (the name key and the ASCII-name key of a city, or the two
/// name keys of a country), both bound to cityMatchValue(), so typed quotes cannot change the statement.
/// Raises OrbiclockError for a column that is neither of the two filter columns.
QString cityFilterLine(const CityFilter& filter);

/// The value bound to the placeholders of cityFilterLine(): the folded form of cityLikePattern(), so
/// the match ignores case and accents for every script ("sao paulo" finds "São Paulo").
QString cityMatchValue(const CityFilter& filter);

/// The statement of the city list, one entry per line, with `line9` as its filter line and a last
/// line ordering the rows by country, city name and offset.
QStringList cityStatementLines(const QString& line9);

/// The filter line the list is first opened with: every city that has a name.
inline constexpr const char* kInitialFilterLine = "WHERE (Cities.F_Name LIKE '%')";

} // namespace orbiclock
