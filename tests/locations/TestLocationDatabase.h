#pragma once

// Builds small UserLocations databases for tests from the shipped schema.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace orbiclock::testing {

/// Creates `dataDir`/UserLocations.db with `rows` places, IDX 0 … rows − 1, named "Place <IDX>",
/// with longitudes spread from east to west so that longitude order differs from IDX order.
inline void createLocationDatabase(const std::filesystem::path& dataDir, int rows)
{
    std::filesystem::create_directories(dataDir);
    const std::filesystem::path file = dataDir / "UserLocations.db";
    std::filesystem::remove(file);
    std::ifstream schemaFile(std::string(ORBICLOCK_SOURCE_DIR) + "/data/UserLocations.schema.sql");
    std::stringstream schema;
    schema << schemaFile.rdbuf();
    const QString name = QStringLiteral("test-build-%1").arg(QString::fromStdString(file.string()));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QString::fromStdString(file.string()));
        if (!db.open())
            throw std::runtime_error(db.lastError().text().toStdString());
        QSqlQuery q(db);
        if (!q.exec(QString::fromStdString(schema.str())))
            throw std::runtime_error(q.lastError().text().toStdString());
        db.transaction();
        for (int i = 0; i < rows; ++i) {
            q.prepare(QStringLiteral("INSERT INTO UserLocations (IDX, name_City, name_Country, GMT, Latitude, "
                                     "Longitude, PosX, PosY) VALUES (?, ?, 'Land', ?, ?, ?, ?, ?)"));
            q.addBindValue(i);
            q.addBindValue(QStringLiteral("Place %1").arg(i));
            q.addBindValue(static_cast<double>(i % 12));
            q.addBindValue(10.0 + i);
            q.addBindValue(170.0 - 7.0 * i);
            q.addBindValue(100 + i);
            q.addBindValue(200 + i);
            if (!q.exec())
                throw std::runtime_error(q.lastError().text().toStdString());
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace orbiclock::testing
