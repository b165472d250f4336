#include "HostLog.h"

#include <cstdio>

namespace orbiclock {

void hostLog(const QString& message)
{
    const QByteArray line = "orbiclock-desktop: " + message.toLocal8Bit() + "\n";
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace orbiclock
