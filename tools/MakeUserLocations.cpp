// Builds the shipped UserLocations database from data/UserLocations.csv and its schema.
// Usage: MakeUserLocations <schema.sql> <places.csv> <output.db>
// An existing output file is the user's own list and is left untouched.

#include "astro/MapProjection.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace {

QString readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        throw std::runtime_error("cannot read " + path.toStdString());
    return QString::fromUtf8(f.readAll());
}

void exec(QSqlQuery& q, const QString& sql)
{
    if (!q.exec(sql))
        throw std::runtime_error(q.lastError().text().toStdString() + " in: " + sql.toStdString());
}

void build(const QString& schemaPath, const QString& csvPath, const QString& outPath)
{
    const QString tempPath = outPath + QStringLiteral(".building");
    QFile::remove(tempPath);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("build"));
        db.setDatabaseName(tempPath);
        if (!db.open())
            throw std::runtime_error(db.lastError().text().toStdString());
        QSqlQuery q(db);
        exec(q, readAll(schemaPath));
        db.transaction();
        q.prepare(QStringLiteral(
            "INSERT INTO UserLocations (IDX, name_City, name_Country, GMT, UsesSummerTime, N_summer, J_summer, "
            "M_summer, H_summer, N_winter, J_winter, M_winter, H_winter, Latitude, Longitude, PosX, PosY) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, 3, ?, ?, ?, 2, ?, ?, ?, ?)"));
        const QStringList lines = readAll(csvPath).split(QLatin1Char('\n'));
        bool header = true;
        for (const QString& raw : lines) {
            const QString line = raw.trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            if (header) { // the column names
                header = false;
                continue;
            }
            const QStringList f = line.split(QLatin1Char(','));
            if (f.size() != 13)
                throw std::runtime_error("bad line: " + line.toStdString());
            const double latitude = f[11].toDouble();
            const double longitude = f[12].toDouble();
            for (int i = 0; i < 13; ++i) {
                if (i == 1 || i == 2)
                    q.addBindValue(f[i]);
                else if (i == 3 || i == 11 || i == 12)
                    q.addBindValue(f[i].toDouble());
                else
                    q.addBindValue(f[i].toInt());
            }
            q.addBindValue(orbiclock::LongitudeToMapX(longitude));
            q.addBindValue(orbiclock::LatitudeToMapY(latitude));
            if (!q.exec())
                throw std::runtime_error(q.lastError().text().toStdString());
        }
        if (!db.commit())
            throw std::runtime_error(db.lastError().text().toStdString());
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("build"));
    std::filesystem::rename(tempPath.toStdString(), outPath.toStdString());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: MakeUserLocations <schema.sql> <places.csv> <output.db>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[3]);
    if (QFile::exists(out))
        return 0;
    try {
        build(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]), out);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "MakeUserLocations: %s\n", e.what());
        return 1;
    }
    return 0;
}
