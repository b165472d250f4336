#pragma once

#include "locations/CityRow.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <map>
#include <vector>

namespace orbiclock {

/// The read-only city statement over the city database (Cities.db in the data folder): the joined
/// Cities, World and Timezone rows with a rewritable filter line. Every distinct filter line is
/// prepared once and re-run with its bound pattern, so a rebuild costs one execution.
class CityQuery {
public:
    /// The database file name inside the data folder.
    static constexpr const char* kFileName = "Cities.db";

    /// Sets the database path to `dataDir`/Cities.db and opens the connection read-only.
    /// Raises FileError when the file does not exist, OrbiclockError when SQLite cannot open it.
    explicit CityQuery(const std::filesystem::path& dataDir);
    ~CityQuery();
    CityQuery(const CityQuery&) = delete;
    CityQuery& operator=(const CityQuery&) = delete;

    /// Runs the statement with `line9` as its filter line, every "?" in it bound to `matchValue`, and
    /// keeps the rows in the statement's order. Raises OrbiclockError when the engine fails; the query
    /// is then closed.
    void open(const QString& line9, const QString& matchValue = {});
    /// Forgets the rows.
    void close() noexcept;
    [[nodiscard]] bool isOpen() const noexcept { return m_open; }

    /// The rows of the last successful open; empty when closed.
    [[nodiscard]] const std::vector<CityRow>& rows() const noexcept { return m_rows; }
    /// The statement of the last open, one entry per line.
    [[nodiscard]] const QStringList& statement() const noexcept { return m_statement; }
    /// The database file.
    [[nodiscard]] const std::filesystem::path& file() const noexcept { return m_file; }

private:
    QSqlQuery& prepared(const QString& line9);

    std::filesystem::path m_file;
    QString m_connectionName;
    QSqlDatabase m_db;
    std::map<QString, QSqlQuery> m_prepared;
    QStringList m_statement;
    std::vector<CityRow> m_rows;
    bool m_open = false;
};

} // namespace orbiclock
