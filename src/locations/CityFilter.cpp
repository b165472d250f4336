#include "locations/CityFilter.h"

#include "astro/OrbiclockError.h"
#include "locations/SearchFold.h"

namespace orbiclock {

QString cityLikePattern(const QString& typed)
{
    QString text = typed;
    if (!text.isEmpty()) {
        // A character outside the BMP is a surrogate pair: upper-case the whole code point.
        const qsizetype firstLength = (text.size() > 1 && text.at(0).isHighSurrogate()) ? 2 : 1;
        text.replace(0, firstLength, text.left(firstLength).toUpper());
    }
    text.replace(u'*', u'%');
    // QString::replace scans left to right and does not rescan what it inserted, so "%%%" gives "%%".
    text.replace(QStringLiteral("%%"), QStringLiteral("%"));
    return text + u'%';
}

QString cityFilterLine(const CityFilter& filter)
{
    if (!filter.active())
        return {};
    QString match;
    if (filter.column == QLatin1String(kCityColumn))
        match = QStringLiteral("(Cities.NameKey LIKE ? OR Cities.AsciiKey LIKE ?)");
    else if (filter.column == QLatin1String(kCountryColumn))
        match = QStringLiteral("(World.NameKey LIKE ? OR World.AltKey LIKE ?)");
    else
        throw OrbiclockError("Unknown filter column " + filter.column.toStdString());
    return QStringLiteral("WHERE  ( ") + match + u')';
}

QString cityMatchValue(const CityFilter& filter)
{
    return foldForSearch(cityLikePattern(filter.text));
}

QStringList cityStatementLines(const QString& line9)
{
    return {
        QStringLiteral("SELECT"),
        QStringLiteral("\tCities.Country_ID, World.LocalName, Cities.Id, Cities.F_Name, Cities.GMT, Cities.Zone, "
                       "Cities.Lat, Cities.Lon, Cities.Population, World.Id, Timezone.Id, Timezone.Nom, "
                       "Timezone.GMT, Timezone.\"Vrai ou faux\", Timezone.N_ete, Timezone.J_ete, Timezone.M_ete, "
                       "Timezone.H_ete, Timezone.N_hiv, Timezone.J_hiv, Timezone.M_hiv, Timezone.H_hiv "),
        QStringLiteral("FROM \"Cities\" Cities"),
        QStringLiteral("   INNER JOIN \"World\" World"),
        QStringLiteral("   ON  (Cities.Country_ID = World.Id)  "),
        QStringLiteral("   INNER JOIN \"Timezone\" Timezone"),
        QStringLiteral("   ON  (Cities.Zone = Timezone.Id) "),
        QString(),
        line9,
        QStringLiteral("ORDER BY Cities.SortRank"),
    };
}

} // namespace orbiclock
