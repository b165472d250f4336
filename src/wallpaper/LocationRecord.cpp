#include "wallpaper/LocationRecord.h"

namespace orbiclock {

TLocationRec locationRecFromRow(const LocationRow& row)
{
    TLocationRec rec;
    rec.IDX = row.IDX;
    rec.name_City = row.name_City;
    rec.id_City = row.id_City;
    rec.id_Country = row.id_Country;
    rec.id_Timezone = row.id_Timezone;
    rec.UsesSummerTime = row.UsesSummerTime;
    assignGmtOffset(rec, row.GMT);
    rec.N_summer = row.N_summer;
    rec.J_summer = row.J_summer;
    rec.M_summer = row.M_summer;
    rec.N_winter = row.N_winter;
    rec.J_winter = row.J_winter;
    rec.M_winter = row.M_winter;
    return rec;
}

} // namespace orbiclock
