#pragma once

#include <QString>

#include <cstdint>

namespace orbiclock {

/// One row of the city statement, fields under their result names. The statement selects three
/// columns named Id and two named GMT: `Id_1` is the city's identifier, `Id` the zone's; `GMT_1` is
/// the city's own offset, `GMT` the zone's standard offset.
/// Zone rules: N 0 last, 1..4, 5 second-last; J 1 Monday … 7 Sunday; M 1 January … 12 December.
struct CityRow {
    std::int32_t Country_ID = 0;
    QString LocalName;        ///< country name
    std::int32_t Id_1 = 0;    ///< Cities.Id
    QString F_Name;           ///< city name
    double GMT_1 = 0.0;       ///< Cities.GMT, hours east
    std::int32_t Zone = 0;    ///< Cities.Zone, a Timezone.Id
    double Lat = 0.0;         ///< degrees north
    double Lon = 0.0;         ///< degrees east
    std::int32_t Population = 0;
    std::int32_t WorldId = 0; ///< World.Id: selected, bound to no field of the list
    std::int32_t Id = 0;      ///< Timezone.Id
    QString Nom;              ///< zone name
    double GMT = 0.0;         ///< Timezone.GMT: standard offset in hours east
    bool VraiOuFaux = false;  ///< Timezone."Vrai ou faux": the zone keeps summer time
    std::int32_t N_ete = 0, J_ete = 0, M_ete = 0, H_ete = 0;
    std::int32_t N_hiv = 0, J_hiv = 0, M_hiv = 0, H_hiv = 0;

    friend bool operator==(const CityRow&, const CityRow&) = default;
};

} // namespace orbiclock
