#include "locations/LocationTexts.h"

#include "locations/CityListModel.h"
#include "locations/LocationRow.h"

#include <cmath>

namespace orbiclock {
namespace {

QString degrees(double value, char positive, char negative)
{
    // The hemisphere comes from the value itself, so -0.04 is "0.0°S" like any other southern value.
    return formatOneDecimal(std::fabs(value)) + QChar(0x00B0) + QLatin1Char(value >= 0 ? positive : negative);
}

} // namespace

QString tblLocationsLongitudeGetText(double longitudeDeg)
{
    return degrees(longitudeDeg, 'E', 'W');
}

QString tblLocationsLatitudeGetText(double latitudeDeg)
{
    return degrees(latitudeDeg, 'N', 'S');
}

QString tblLocationsname_CityGetText(const LocationRow& row)
{
    const QString name = QString::fromStdString(row.name_City);
    return row.IDX == 0 ? name + QStringLiteral(" (current location)") : name;
}

QString tblLocationsname_CountryGetText(const LocationRow& row)
{
    return QString::fromStdString(row.name_Country);
}

QString tblLocationsGMTGetText(double gmtHours)
{
    const QString number = formatOneDecimal(gmtHours);
    return gmtHours >= 0 ? QStringLiteral("+") + number : number;
}

} // namespace orbiclock
