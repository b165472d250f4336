#pragma once

#include "locations/CityRow.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <map>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace orbiclock {

/// The read-only city statement over the city database (Cities.db in the data folder): the joined
/// Cities, World and Timezone rows with a rewritable filter line. The connection is a Qt SQL one,
/// opened read-only; the statement runs on its SQLite handle, each distinct filter line prepared once
/// and re-run with its bound pattern, so a rebuild costs one execution and no per-value conversions.
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
    struct StatementDeleter {
        void operator()(sqlite3_stmt* statement) const noexcept;
    };
    using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

    sqlite3_stmt* prepared(const QString& line9);
    [[noreturn]] void raiseEngineError(const std::string& what) const;

    std::filesystem::path m_file;
    QString m_connectionName;
    QSqlDatabase m_db;
    sqlite3* m_handle = nullptr; ///< owned by m_db's driver
    std::map<QString, Statement> m_prepared;
    /// Country and zone names met so far, so rows of one country or zone share one string.
    QHash<std::int32_t, QString> m_countryNames, m_zoneNames;
    QStringList m_statement;
    std::vector<CityRow> m_rows;
    bool m_open = false;
};

} // namespace orbiclock
