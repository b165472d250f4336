#include "astro/MapProjection.h"

#include "astro/CheckedMath.h"

namespace orbiclock {

std::int32_t LongitudeToMapX(double longitudeDeg)
{
    const long double lambda = longitudeDeg;
    return roundHalfEvenToInt32(lambda * 3.8496L + 760.8L);
}

std::int32_t LatitudeToMapY(double latitudeDeg)
{
    const long double phi = latitudeDeg;
    const long double phi2 = phi * phi;
    const long double phi3 = phi2 * phi;
    // Summed term by term in this order (cubic, square, linear, constant): the row boundaries of the
    // sun table depend on the last bits.
    long double y;
    if (phi >= 20.0L)
        y = -0.0014L * phi3 + 0.1204L * phi2 - 7.6424L * phi + 772.62L;
    else
        y = -0.0003L * phi3 - 0.0021L * phi2 - 3.7926L * phi + 737.25L;
    return roundHalfEvenToInt32(y);
}

} // namespace orbiclock
