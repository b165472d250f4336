#include "locations/CityQuery.h"

#include "astro/OrbiclockError.h"
#include "locations/CityFilter.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>

#include <sqlite3.h>

#include <atomic>

namespace orbiclock {

namespace {

std::string text(const QString& s) { return s.toStdString(); }

QString nextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("orbiclock-cities-%1").arg(++counter);
}

QString columnText(sqlite3_stmt* statement, int column)
{
    const auto* utf8 = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return QString::fromUtf8(utf8, sqlite3_column_bytes(statement, column));
}

/// A text column shared per identifier: the first row of a country or zone converts it.
const QString& sharedText(QHash<std::int32_t, QString>& cache, std::int32_t id, sqlite3_stmt* statement, int column)
{
    auto found = cache.find(id);
    if (found == cache.end())
        found = cache.insert(id, columnText(statement, column));
    return *found;
}

} // namespace

void CityQuery::StatementDeleter::operator()(sqlite3_stmt* statement) const noexcept
{
    sqlite3_finalize(statement);
}

CityQuery::CityQuery(const std::filesystem::path& dataDir)
    : m_file(dataDir / kFileName), m_connectionName(nextConnectionName())
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(m_file, ec))
        throw FileError("The city database cannot be opened: " + m_file.string() + " does not exist");
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_db.setDatabaseName(QString::fromStdString(m_file.string()));
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    const bool opened = m_db.open();
    const QVariant handle = opened ? m_db.driver()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        m_handle = *static_cast<sqlite3* const*>(handle.constData());
    if (m_handle == nullptr) {
        const std::string why = opened ? std::string("no SQLite handle") : text(m_db.lastError().text());
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        throw OrbiclockError("The city database cannot be opened (" + m_file.string() + "): " + why);
    }
}

CityQuery::~CityQuery()
{
    m_prepared.clear(); // statements are finalised before their connection closes
    m_handle = nullptr;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void CityQuery::raiseEngineError(const std::string& what) const
{
    throw OrbiclockError(what + ": " + sqlite3_errmsg(m_handle));
}

sqlite3_stmt* CityQuery::prepared(const QString& line9)
{
    auto found = m_prepared.find(line9);
    if (found != m_prepared.end())
        return found->second.get();
    const QByteArray sql = cityStatementLines(line9).join(u'\n').toUtf8();
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v3(m_handle, sql.constData(), static_cast<int>(sql.size()),
                                      SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    Statement statement(raw);
    if (rc != SQLITE_OK || !statement)
        raiseEngineError("The city list cannot be read");
    return m_prepared.emplace(line9, std::move(statement)).first->second.get();
}

void CityQuery::open(const QString& line9, const QString& matchValue)
{
    close();
    m_statement = cityStatementLines(line9);
    sqlite3_stmt* statement = prepared(line9);
    // Leaves the statement reset and its bindings cleared on every path.
    const std::unique_ptr<sqlite3_stmt, void (*)(sqlite3_stmt*)> rewind(statement, [](sqlite3_stmt* s) {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
    });

    const QByteArray value = matchValue.toUtf8();
    const int parameters = sqlite3_bind_parameter_count(statement);
    for (int i = 1; i <= parameters; ++i) {
        if (sqlite3_bind_text(statement, i, value.constData(), static_cast<int>(value.size()), SQLITE_TRANSIENT) != SQLITE_OK)
            raiseEngineError("The city list cannot be read");
    }

    m_rows.reserve(4096);
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        CityRow r;
        r.Country_ID = sqlite3_column_int(statement, 0);
        r.Id_1 = sqlite3_column_int(statement, 2);
        r.F_Name = columnText(statement, 3);
        r.GMT_1 = sqlite3_column_double(statement, 4);
        r.Zone = sqlite3_column_int(statement, 5);
        r.Lat = sqlite3_column_double(statement, 6);
        r.Lon = sqlite3_column_double(statement, 7);
        r.Population = sqlite3_column_int(statement, 8);
        r.WorldId = sqlite3_column_int(statement, 9);
        r.LocalName = sharedText(m_countryNames, r.WorldId, statement, 1);
        r.Id = sqlite3_column_int(statement, 10);
        r.Nom = sharedText(m_zoneNames, r.Id, statement, 11);
        r.GMT = sqlite3_column_double(statement, 12);
        r.VraiOuFaux = sqlite3_column_int(statement, 13) != 0;
        r.N_ete = sqlite3_column_int(statement, 14);
        r.J_ete = sqlite3_column_int(statement, 15);
        r.M_ete = sqlite3_column_int(statement, 16);
        r.H_ete = sqlite3_column_int(statement, 17);
        r.N_hiv = sqlite3_column_int(statement, 18);
        r.J_hiv = sqlite3_column_int(statement, 19);
        r.M_hiv = sqlite3_column_int(statement, 20);
        r.H_hiv = sqlite3_column_int(statement, 21);
        m_rows.push_back(std::move(r));
    }
    if (rc != SQLITE_DONE) {
        m_rows.clear();
        raiseEngineError("The city list cannot be read");
    }
    m_open = true;
}

void CityQuery::close() noexcept
{
    m_rows.clear();
    m_open = false;
}

} // namespace orbiclock
