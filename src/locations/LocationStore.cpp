#include "locations/LocationStore.h"

#include "astro/OrbiclockError.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <atomic>

namespace orbiclock {
namespace {

constexpr const char* kClosedDataset = "Cannot perform this operation on a closed dataset";

constexpr const char* kColumns =
    "IDX, id_City, id_Timezone, id_Country, name_City, name_Country, name_Timezone, GMT, UsesSummerTime, "
    "N_summer, J_summer, M_summer, H_summer, N_winter, J_winter, M_winter, H_winter, Latitude, Longitude, "
    "PosX, PosY";

std::string text(const QString& s)
{
    return s.toStdString();
}

std::int32_t int32Field(const QSqlQuery& q, int column)
{
    bool ok = false;
    const qlonglong v = q.value(column).toLongLong(&ok);
    if (!ok && !q.value(column).isNull())
        throw OrbiclockError("UserLocations: field " + text(q.record().fieldName(column)) + " is not an integer");
    if (v < INT32_MIN || v > INT32_MAX)
        throw RangeError("UserLocations: field " + text(q.record().fieldName(column)) + " is out of range");
    return static_cast<std::int32_t>(v);
}

LocationRow rowFromQuery(const QSqlQuery& q)
{
    LocationRow r;
    int c = 0;
    r.IDX = int32Field(q, c++);
    r.id_City = int32Field(q, c++);
    r.id_Timezone = int32Field(q, c++);
    r.id_Country = int32Field(q, c++);
    r.name_City = text(q.value(c++).toString());
    r.name_Country = text(q.value(c++).toString());
    r.name_Timezone = text(q.value(c++).toString());
    r.GMT = q.value(c++).toDouble();
    r.UsesSummerTime = q.value(c++).toBool();
    r.N_summer = int32Field(q, c++);
    r.J_summer = int32Field(q, c++);
    r.M_summer = int32Field(q, c++);
    r.H_summer = int32Field(q, c++);
    r.N_winter = int32Field(q, c++);
    r.J_winter = int32Field(q, c++);
    r.M_winter = int32Field(q, c++);
    r.H_winter = int32Field(q, c++);
    r.Latitude = q.value(c++).toDouble();
    r.Longitude = q.value(c++).toDouble();
    r.PosX = int32Field(q, c++);
    r.PosY = int32Field(q, c++);
    return r;
}

[[noreturn]] void throwEngineError(const std::string& what, const QSqlError& error)
{
    throw OrbiclockError(what + ": " + text(error.text()));
}

// Removes the named connection when the last handle to it is gone.
class ConnectionScope {
public:
    explicit ConnectionScope(QString name) : m_name(std::move(name)) {}
    ConnectionScope(const ConnectionScope&) = delete;
    ConnectionScope& operator=(const ConnectionScope&) = delete;
    ~ConnectionScope()
    {
        if (QSqlDatabase::contains(m_name))
            QSqlDatabase::removeDatabase(m_name);
    }

private:
    QString m_name;
};

} // namespace

std::string cutCityName(const std::string& name)
{
    const QString q = QString::fromStdString(name);
    if (q.size() <= static_cast<qsizetype>(kMaxCityNameLength))
        return name;
    return q.left(static_cast<qsizetype>(kMaxCityNameLength)).toStdString();
}

LocationStore::LocationStore()
{
    static std::atomic<int> counter{0};
    m_connection = QStringLiteral("orbiclock-locations-%1").arg(counter++);
}

LocationStore::~LocationStore()
{
    close();
}

void LocationStore::setDirectory(std::filesystem::path dataDir)
{
    m_dataDir = std::move(dataDir);
}

std::string LocationStore::filterText() const
{
    return "IDX <= " + std::to_string(m_filterMaxIdx);
}

QString LocationStore::connectionName() const
{
    return m_connection;
}

void LocationStore::open()
{
    close();
    const std::filesystem::path file = m_dataDir / kFileName;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        throw OrbiclockError("The location table cannot be opened: " + file.string() + " does not exist");

    std::vector<LocationRow> rows;
    {
        ConnectionScope scope(m_connection);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
            db.setDatabaseName(QString::fromStdString(file.string()));
            if (!db.open())
                throwEngineError("The location table cannot be opened: " + file.string(), db.lastError());
            QSqlQuery q(db);
            QString sql = QStringLiteral("SELECT %1 FROM UserLocations").arg(QString::fromLatin1(kColumns));
            if (m_filtered)
                sql += QStringLiteral(" WHERE IDX <= :maxIdx");
            sql += QStringLiteral(" ORDER BY IDX");
            if (!q.prepare(sql))
                throwEngineError("The location table cannot be read: " + file.string(), q.lastError());
            if (m_filtered)
                q.bindValue(QStringLiteral(":maxIdx"), m_filterMaxIdx);
            if (!q.exec())
                throwEngineError("The location table cannot be read: " + file.string(), q.lastError());
            while (q.next())
                rows.push_back(rowFromQuery(q));
            if (q.lastError().isValid())
                throwEngineError("The location table cannot be read: " + file.string(), q.lastError());
        }
    }
    m_rows = std::move(rows);
    m_current = 0;
    m_open = true;
}

void LocationStore::close() noexcept
{
    m_open = false;
    m_rows.clear();
    m_current = 0;
}

void LocationStore::requireOpen() const
{
    if (!m_open)
        throw OrbiclockError(kClosedDataset);
}

std::int32_t LocationStore::recordCount() const
{
    requireOpen();
    return static_cast<std::int32_t>(m_rows.size());
}

std::int32_t LocationStore::recordNumber() const
{
    requireOpen();
    return static_cast<std::int32_t>(m_current);
}

void LocationStore::moveTo(std::int32_t index)
{
    requireOpen();
    if (m_rows.empty() || index < 0)
        m_current = 0;
    else
        m_current = std::min<std::size_t>(static_cast<std::size_t>(index), m_rows.size() - 1);
}

void LocationStore::first()
{
    requireOpen();
    m_current = 0;
}

void LocationStore::next()
{
    requireOpen();
    if (m_current < m_rows.size())
        ++m_current;
}

bool LocationStore::eof() const
{
    requireOpen();
    return m_current >= m_rows.size();
}

const LocationRow& LocationStore::current() const
{
    requireOpen();
    if (m_current >= m_rows.size())
        throw OrbiclockError("The location table has no current row");
    return m_rows[m_current];
}

const std::vector<LocationRow>& LocationStore::rows() const
{
    requireOpen();
    return m_rows;
}

void LocationStore::overwriteCurrent(const LocationRow& row)
{
    const LocationRow& stored = current();
    LocationRow updated = row;
    updated.IDX = stored.IDX;
    updated.name_City = cutCityName(row.name_City);

    const std::filesystem::path file = m_dataDir / kFileName;
    {
        ConnectionScope scope(m_connection);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(QString::fromStdString(file.string()));
        if (!db.open())
            throwEngineError("The location table cannot be opened: " + file.string(), db.lastError());
        if (!db.transaction())
            throwEngineError("The place cannot be saved", db.lastError());
        QSqlQuery q(db);
        const bool ok =
            q.prepare(QStringLiteral(
                "UPDATE UserLocations SET id_City = ?, id_Timezone = ?, id_Country = ?, name_City = ?, "
                "name_Country = ?, name_Timezone = ?, GMT = ?, UsesSummerTime = ?, N_summer = ?, J_summer = ?, "
                "M_summer = ?, H_summer = ?, N_winter = ?, J_winter = ?, M_winter = ?, H_winter = ?, Latitude = ?, "
                "Longitude = ?, PosX = ?, PosY = ? WHERE IDX = ?"));
        if (ok) {
            for (const QVariant& v :
                 {QVariant(updated.id_City), QVariant(updated.id_Timezone), QVariant(updated.id_Country),
                  QVariant(QString::fromStdString(updated.name_City)),
                  QVariant(QString::fromStdString(updated.name_Country)),
                  QVariant(QString::fromStdString(updated.name_Timezone)), QVariant(updated.GMT),
                  QVariant(updated.UsesSummerTime ? 1 : 0), QVariant(updated.N_summer), QVariant(updated.J_summer),
                  QVariant(updated.M_summer), QVariant(updated.H_summer), QVariant(updated.N_winter),
                  QVariant(updated.J_winter), QVariant(updated.M_winter), QVariant(updated.H_winter),
                  QVariant(updated.Latitude), QVariant(updated.Longitude), QVariant(updated.PosX),
                  QVariant(updated.PosY), QVariant(updated.IDX)})
                q.addBindValue(v);
        }
        if (!ok || !q.exec() || q.numRowsAffected() != 1) {
            const QSqlError error = q.lastError();
            db.rollback();
            if (error.isValid())
                throwEngineError("The place cannot be saved", error);
            throw OrbiclockError("The place cannot be saved: row " + std::to_string(updated.IDX) + " is gone");
        }
        if (!db.commit()) {
            const QSqlError error = db.lastError();
            db.rollback();
            throwEngineError("The place cannot be saved", error);
        }
        q.finish();
        db.close();
    }
    m_rows[m_current] = updated;
}

} // namespace orbiclock
