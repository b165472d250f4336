#pragma once

#include "astro/LocationOffset.h"
#include "locations/LocationRow.h"

namespace orbiclock {

/// The pipeline's record of a location row: the identifiers, the name, the summer-time flag and rules
/// copied as stored; the base offset `GMT` split into whole hours, remaining minutes and sign.
/// The rows' summer-time hours, coordinates and map position are not part of the record.
/// Raises RangeError when `GMT` is not a finite number within 32 bits.
TLocationRec locationRecFromRow(const LocationRow& row);

} // namespace orbiclock
