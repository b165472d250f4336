#pragma once

#include <cstdint>

namespace orbiclock {

/// Width and height in pixels of the reference world map every map position refers to.
constexpr std::int32_t kReferenceMapWidth = 1600;
constexpr std::int32_t kReferenceMapHeight = 1200;

/// The x pixel of a longitude (degrees, east positive) on the 1600 × 1200 reference map:
/// Round(λ × 3.8496 + 760.8), halves to even. Linear fit of the map's meridians:
/// -180° → 68, 0° → 761, +180° → 1454. Raises RangeError when the result leaves 32 bits.
std::int32_t LongitudeToMapX(double longitudeDeg);

/// The y pixel of a latitude (degrees, north positive) on the 1600 × 1200 reference map. Two cubic
/// fits of the map's parallels, split at 20°N, rounded halves to even:
/// φ ≥ 20: −0.0014·φ³ + 0.1204·φ² − 7.6424·φ + 772.62; φ < 20: −0.0003·φ³ − 0.0021·φ² − 3.7926·φ + 737.25.
/// Example: 85°N → 133, the equator → 737, 80°S → 1181. Raises RangeError when the result leaves 32 bits.
std::int32_t LatitudeToMapY(double latitudeDeg);

} // namespace orbiclock
