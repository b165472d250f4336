#pragma once

// Test support for the desktop host: a private X server, tools to look at it, and the host's process.

#include <QByteArray>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace orbiclock::testing_x11 {

/// The result of running a tool to its end.
struct ToolRun {
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

/// Runs `program` with `arguments` and waits up to two minutes; in the process's own environment
/// unless one is given.
ToolRun runTool(const QString& program, const QStringList& arguments,
                const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

/// Waits until `condition` holds, checking twice a second, for at most `limit`. Returns whether it held.
bool waitUntil(const std::function<bool()>& condition, std::chrono::seconds limit = std::chrono::seconds(90));

/// A top-level window of the X server with the properties the tests look at.
struct X11Window {
    QString id;
    QRect geometry;
    QString title;
    QByteArray properties; ///< xprop's text for the window
    qint64 pid = 0;        ///< _NET_WM_PID, 0 when not set
    bool hasProperty(const char* name, const char* value) const;
};

/// An Xvfb server on a free display, stopped when the object goes.
class X11Session {
public:
    X11Session(int width, int height);
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    /// ":<number>" once started; empty when the server did not start.
    const QString& display() const noexcept { return m_display; }
    /// The root window as an image (ImageMagick's import), or a null image on failure.
    QImage screenshot() const;
    /// The top-level windows, with their X properties.
    std::vector<X11Window> topLevelWindows() const;

private:
    std::unique_ptr<QProcess> m_server;
    QString m_display;
};

/// True while a process with this id exists and is not a zombie.
bool processAlive(qint64 pid);

/// Sends SIGTERM to `pid`, waits for it to go, and sends SIGKILL after `grace`.
void stopProcess(qint64 pid, std::chrono::seconds grace = std::chrono::seconds(15));

/// The process id in the first line of a lock file, 0 when there is none.
qint64 lockHolder(const QString& lockFile);

/// Colour of one pixel as 0xRRGGBB.
unsigned pixelRgb(const QImage& image, int x, int y);

} // namespace orbiclock::testing_x11
