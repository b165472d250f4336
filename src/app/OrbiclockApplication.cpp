#include "app/OrbiclockApplication.h"

#include <cstdlib>

namespace orbiclock {

OrbiclockApplication::OrbiclockApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool OrbiclockApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (m_onError)
            m_onError(std::current_exception());
        return false;
    }
}

void chooseHeadlessPlatformIfNeeded()
{
    const auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v != nullptr && *v != '\0';
    };
    if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

} // namespace orbiclock
