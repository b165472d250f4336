#include "locations/CityQuery.h"

#include "astro/OrbiclockError.h"
#include "locations/CityFilter.h"

#include <QSqlError>
#include <QVariant>

#include <atomic>

namespace orbiclock {

namespace {

std::string text(const QString& s) { return s.toStdString(); }

[[noreturn]] void raise(const std::string& what, const QSqlError& error)
{
    throw OrbiclockError(what + ": " + text(error.text()));
}

QString nextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("orbiclock-cities-%1").arg(++counter);
}

} // namespace

CityQuery::CityQuery(const std::filesystem::path& dataDir)
    : m_file(dataDir / kFileName), m_connectionName(nextConnectionName())
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(m_file, ec))
        throw FileError("The city database cannot be opened: " + m_file.string() + " does not exist");
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_db.setDatabaseName(QString::fromStdString(m_file.string()));
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!m_db.open()) {
        const QSqlError error = m_db.lastError();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        raise("The city database cannot be opened (" + m_file.string() + ")", error);
    }
}

CityQuery::~CityQuery()
{
    m_prepared.clear();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlQuery& CityQuery::prepared(const QString& line9)
{
    auto found = m_prepared.find(line9);
    if (found != m_prepared.end())
        return found->second;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.prepare(cityStatementLines(line9).join(u'\n')))
        raise("The city list cannot be read", query.lastError());
    return m_prepared.emplace(line9, std::move(query)).first->second;
}

void CityQuery::open(const QString& line9, const QString& matchValue)
{
    close();
    m_statement = cityStatementLines(line9);
    QSqlQuery& query = prepared(line9);
    const auto placeholders = line9.count(u'?');
    for (qsizetype i = 0; i < placeholders; ++i)
        query.bindValue(static_cast<int>(i), matchValue);
    if (!query.exec())
        raise("The city list cannot be read", query.lastError());

    m_rows.reserve(4096);
    while (query.next()) {
        CityRow r;
        r.Country_ID = query.value(0).toInt();
        r.LocalName = query.value(1).toString();
        r.Id_1 = query.value(2).toInt();
        r.F_Name = query.value(3).toString();
        r.GMT_1 = query.value(4).toDouble();
        r.Zone = query.value(5).toInt();
        r.Lat = query.value(6).toDouble();
        r.Lon = query.value(7).toDouble();
        r.Population = query.value(8).toInt();
        r.WorldId = query.value(9).toInt();
        r.Id = query.value(10).toInt();
        r.Nom = query.value(11).toString();
        r.GMT = query.value(12).toDouble();
        r.VraiOuFaux = query.value(13).toInt() != 0;
        r.N_ete = query.value(14).toInt();
        r.J_ete = query.value(15).toInt();
        r.M_ete = query.value(16).toInt();
        r.H_ete = query.value(17).toInt();
        r.N_hiv = query.value(18).toInt();
        r.J_hiv = query.value(19).toInt();
        r.M_hiv = query.value(20).toInt();
        r.H_hiv = query.value(21).toInt();
        m_rows.push_back(std::move(r));
    }
    if (query.lastError().isValid()) {
        const QSqlError error = query.lastError();
        query.finish();
        close();
        raise("The city list cannot be read", error);
    }
    query.finish();
    m_open = true;
}

void CityQuery::close() noexcept
{
    m_rows.clear();
    m_open = false;
}

} // namespace orbiclock
