#pragma once

#include <QFont>

namespace orbiclock {

/// Whether every character of `font` advances by the same width (tested on "i", "W", "1" and ".").
/// Measured rather than taken from the font's fixed-pitch flag, which some monospaced fonts lack.
bool isMonospaced(const QFont& font);

/// The desktop's fixed-pitch font; where that does not resolve to a monospaced face (Qt's offscreen
/// platform hands out a proportional one), the first monospaced family of the font database.
QFont fixedPitchFont();

} // namespace orbiclock
