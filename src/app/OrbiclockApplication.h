#pragma once

#include <QApplication>

#include <functional>

namespace orbiclock {

/// The application object: every exception that escapes an event handler is handed to the crash
/// reporter here, and the message loop goes on.
class OrbiclockApplication final : public QApplication {
public:
    OrbiclockApplication(int& argc, char** argv);

    void setErrorHandler(std::function<void(std::exception_ptr)> handler) { m_onError = std::move(handler); }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::function<void(std::exception_ptr)> m_onError;
};

/// Picks Qt's offscreen platform when the session has no display at all (neither DISPLAY nor
/// WAYLAND_DISPLAY) and QT_QPA_PLATFORM does not name one; call before the application object exists.
void chooseHeadlessPlatformIfNeeded();

} // namespace orbiclock
