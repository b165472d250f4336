#include "locations/CityFilter.h"

#include "astro/OrbiclockError.h"

#include <gtest/gtest.h>

namespace orbiclock {
namespace {

struct PatternCase {
    const char* name;
    const char* typed;
    const char* pattern; ///< the LIKE pattern before folding
    const char* bound;   ///< the value bound to the statement
};

const PatternCase kPatterns[] = {
    {"first letter upper-cased", "par", "Par%", "par%"},
    {"rest keeps its case", "new york", "New york%", "new york%"},
    {"leading star matches anywhere", "*york", "%york%", "%york%"},
    {"trailing star doubles the percent", "Par*", "Par%%", "par%%"},
    {"star inside", "s*paulo", "S%paulo%", "s%paulo%"},
    {"three percents collapse without overlap", "a%%%", "A%%%", "a%%%"},
    {"two stars collapse", "a**b", "A%b%", "a%b%"},
    {"non-ASCII first letter", "émile", "Émile%", "emile%"},
    {"apostrophe kept as typed", "xi'an", "Xi'an%", "xi'an%"},
    {"typographic apostrophe folded", "Xi\u2019an", "Xi\u2019an%", "xi'an%"},
    {"quote injection stays text", "') OR 1=1 --", "') OR 1=1 --%", "') or 1=1 --%"},
    {"empty text", "", "%", "%"},
};

TEST(CityFilter, PatternsAndBoundValues)
{
    for (const PatternCase& c : kPatterns) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(cityLikePattern(QString::fromUtf8(c.typed)).toStdString(), c.pattern);
        const CityFilter filter{QString::fromLatin1(kCityColumn), QString::fromUtf8(c.typed)};
        EXPECT_EQ(cityMatchValue(filter).toStdString(), c.bound);
    }
}

TEST(CityFilter, FilterLineKeepsTheClauseShapeAndHoldsNoTypedText)
{
    const CityFilter city{QString::fromLatin1(kCityColumn), QStringLiteral("O'Hare'; DROP TABLE Cities")};
    const QString cityLine = cityFilterLine(city);
    EXPECT_TRUE(cityLine.startsWith(QStringLiteral("WHERE  ( "))) << cityLine.toStdString();
    EXPECT_TRUE(cityLine.endsWith(u')'));
    EXPECT_TRUE(cityLine.contains(QStringLiteral("Cities.NameKey LIKE ?")));
    EXPECT_TRUE(cityLine.contains(QStringLiteral("Cities.AsciiKey LIKE ?")));
    EXPECT_FALSE(cityLine.contains(u'\'')) << "typed text must never reach the statement";

    const CityFilter country{QString::fromLatin1(kCountryColumn), QStringLiteral("fra")};
    EXPECT_TRUE(cityFilterLine(country).contains(QStringLiteral("World.NameKey LIKE ?")));

    // No clause without text, without a column, or with neither.
    EXPECT_TRUE(cityFilterLine(CityFilter{QString::fromLatin1(kCityColumn), {}}).isEmpty());
    EXPECT_TRUE(cityFilterLine(CityFilter{{}, QStringLiteral("par")}).isEmpty());
    EXPECT_TRUE(cityFilterLine(CityFilter{}).isEmpty());

    EXPECT_THROW((void)cityFilterLine(CityFilter{QStringLiteral("Cities.Lat"), QStringLiteral("1")}), OrbiclockError);
}

TEST(CityFilter, StatementHasItsNineLinesAndTheOrder)
{
    const QStringList lines = cityStatementLines(QString::fromLatin1(kInitialFilterLine));
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[0], QStringLiteral("SELECT"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("\tCities.Country_ID, World.LocalName, Cities.Id, Cities.F_Name,")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("Timezone.M_hiv, Timezone.H_hiv ")));
    EXPECT_EQ(lines[4], QStringLiteral("   ON  (Cities.Country_ID = World.Id)  "));
    EXPECT_EQ(lines[6], QStringLiteral("   ON  (Cities.Zone = Timezone.Id) "));
    EXPECT_TRUE(lines[7].isEmpty());
    EXPECT_EQ(lines[8], QStringLiteral("WHERE (Cities.F_Name LIKE '%')"));
    EXPECT_TRUE(cityStatementLines(QString())[8].isEmpty());
}

} // namespace
} // namespace orbiclock
