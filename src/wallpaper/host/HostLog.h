#pragma once

#include <QString>

namespace orbiclock {

/// Writes one line "orbiclock-desktop: <message>" to standard error, where the session keeps it.
void hostLog(const QString& message);

} // namespace orbiclock
