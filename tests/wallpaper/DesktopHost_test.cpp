// The desktop host on a real X server (Xvfb) with the real browser engine, driven through the
// system desktop platform the program uses.

#include "X11Session.h"

#include "wallpaper/BackgroundLayout.h"
#include "wallpaper/DesktopInstallation.h"
#include "wallpaper/platform/AutostartEntry.h"
#include "wallpaper/platform/DesktopState.h"
#include "wallpaper/platform/HostLink.h"
#include "wallpaper/platform/SystemDesktopPlatform.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QUrl>

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <ostream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbiclock {

void PrintTo(const DesktopState& state, std::ostream* out)
{
    *out << "{color " << std::hex << state.color << std::dec << ", wallpaper \"" << state.wallpaper << "\"}";
}

namespace {

using namespace testing_x11;
namespace fs = std::filesystem;

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;
constexpr unsigned kDesktopRgb = 0x141B5A; // DesktopBackgroundColor as red, green, blue
constexpr unsigned kGreen = 0x00FF00;
constexpr unsigned kBlue = 0x0000FF;
constexpr unsigned kYellow = 0xFFFF00;
constexpr unsigned kGrey = 0x808080;

/// Where the probe page puts its boxes (100 × 100 pixels, top edge at y = 100); read at the centre.
enum class Box { Script = 100, Network = 250, OutsideFile = 400, Interfaces = 550, Marker = 700, Navigation = 850 };

QPoint centreOf(Box box)
{
    return {static_cast<int>(box) + 50, 150};
}

/// A TCP listener on the loopback interface that never answers and counts who reached it.
class Listener {
public:
    Listener()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
            || ::listen(m_fd, 64) != 0
            || ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
    }
    ~Listener()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    int port() const noexcept { return m_port; }
    /// Connections accepted so far.
    int connections()
    {
        for (;;) {
            const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                return m_connections;
            ::close(client);
            ++m_connections;
        }
    }

private:
    int m_fd = -1;
    int m_port = 0;
    int m_connections = 0;
};

/// The probe page: one box painted by its script in `scriptColour`, and boxes that turn green when
/// the page's attempts to reach the network, a file outside the application folder, the interfaces
/// it must not have and another address all fail, red when any succeeds.
QByteArray probePage(int port, const QString& outsideFile, const QString& scriptColour)
{
    const QString page = QStringLiteral(R"HTML(<!DOCTYPE html>
<html><head><style>
html, body { margin: 0; }
.box { position: absolute; top: 100px; width: 100px; height: 100px; background: #808080; }
</style></head><body>
<div class="box" id="script" style="left:100px; background:#ff0000"></div>
<div class="box" id="network" style="left:250px"></div>
<div class="box" id="outside" style="left:400px"></div>
<div class="box" id="interfaces" style="left:550px"></div>
<img class="box" id="marker" style="left:700px" src="opt/marker.png">
<div class="box" id="navigation" style="left:850px"></div>
<script>
function paint(id, colour) { document.getElementById(id).style.background = colour; }
paint('script', '%3');

var base = 'http://127.0.0.1:%1/';
var pending = 0, leaked = false;
function settle(ok) { if (!ok) leaked = true; if (--pending === 0) paint('network', leaked ? '#ff0000' : '#00ff00'); }
function probe(start) {
  ++pending;
  try { start(function () { settle(false); }, function () { settle(true); }); } catch (e) { settle(true); }
}
probe(function (leak, blocked) { var i = new Image(); i.onload = leak; i.onerror = blocked; i.src = base + 'image.png'; });
probe(function (leak, blocked) { fetch(base + 'fetch').then(leak, blocked); });
probe(function (leak, blocked) { fetch('https://127.0.0.1:%1/tls').then(leak, blocked); });
probe(function (leak, blocked) {
  var x = new XMLHttpRequest(); x.onload = leak; x.onerror = blocked; x.open('GET', base + 'xhr'); x.send();
});
try { navigator.sendBeacon(base + 'beacon', 'x'); } catch (e) {}

var secret = new Image();
secret.onload = function () { paint('outside', '#ff0000'); };
secret.onerror = function () { paint('outside', '#00ff00'); };
secret.src = '%2';

var missing = typeof RTCPeerConnection === 'undefined' && typeof webkitRTCPeerConnection === 'undefined'
  && typeof WebSocket === 'undefined';
paint('interfaces', missing ? '#00ff00' : '#ff0000');

// Leaving the page must not work: if it did, this page and its boxes would be gone.
setTimeout(function () {
  try { window.open(base + 'window'); } catch (e) {}
  location.href = base + 'navigate';
  setTimeout(function () { paint('navigation', '#00ff00'); }, 1500);
}, 200);
</script>
</body></html>
)HTML")
                             .arg(port)
                             .arg(QUrl::fromLocalFile(outsideFile).toString(), scriptColour);
    return page.toUtf8();
}

bool writeImage(const QString& file, QColor colour)
{
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(colour);
    return QDir().mkpath(QFileInfo(file).absolutePath()) && image.save(file, "PNG");
}

/// A fresh session on its own X server: an application folder with a copy of the host, the probe
/// page and its image, a private file beside it, and fresh config and runtime folders, all named
/// by the environment as a session would name them.
class DesktopHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        m_x11 = std::make_unique<X11Session>(kScreenWidth, kScreenHeight);
        ASSERT_FALSE(m_x11->display().isEmpty()) << "Xvfb did not start";

        const QDir root(m_root.path());
        ASSERT_TRUE(root.mkpath(QStringLiteral("app/opt")));
        ASSERT_TRUE(root.mkpath(QStringLiteral("config")));
        ASSERT_TRUE(root.mkpath(QStringLiteral("run")));
        ::chmod(path("run").c_str(), 0700);
        m_appDir = path("app");
        const QString host = QString::fromStdString((m_appDir / kDesktopHostName).string());
        ASSERT_TRUE(QFile::copy(QStringLiteral(ORBICLOCK_APP_DIR "/") + kDesktopHostName, host))
            << "build the orbiclock-desktop target first";
        QFile::setPermissions(host, QFile::permissions(host) | QFile::ExeOwner);
        ASSERT_TRUE(writeImage(qpath("app/opt/marker.png"), QColor(0, 0, 255)));
        ASSERT_TRUE(writeImage(qpath("private/secret.png"), QColor(255, 0, 0)));
        m_page = (m_appDir / "Orbiclock.html").string();
        writePage(QStringLiteral("#00ff00"));

        ::setenv("DISPLAY", m_x11->display().toLocal8Bit().constData(), 1);
        ::unsetenv("WAYLAND_DISPLAY");
        ::setenv("XDG_CONFIG_HOME", path("config").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", path("run").c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        // Chromium refuses to run its sandbox as root; anywhere else the sandbox stays on.
        if (::geteuid() == 0)
            ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
        m_session = DesktopSession::fromEnvironment();
    }

    void TearDown() override
    {
        stopProcess(hostPid());
        m_x11.reset();
    }

    fs::path path(const char* relative) const { return fs::path(m_root.path().toStdString()) / relative; }
    QString qpath(const char* relative) const { return QString::fromStdString(path(relative).string()); }

    void writePage(const QString& scriptColour)
    {
        QFile file(QString::fromStdString(m_page));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(probePage(m_listener.port(), qpath("private/secret.png"), scriptColour));
    }

    qint64 hostPid() const { return lockHolder(QString::fromStdString(m_session.hostLock().string())); }

    XdgDesktopPlatform platform() const { return XdgDesktopPlatform(m_appDir, m_session); }

    /// The windows of `pid` that are marked as the desktop window.
    std::vector<X11Window> desktopWindowsOf(qint64 pid) const
    {
        std::vector<X11Window> found;
        for (const X11Window& window : m_x11->topLevelWindows())
            if (window.pid == pid && window.hasProperty("_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DESKTOP"))
                found.push_back(window);
        return found;
    }

    /// Waits until the screen shows the page with its script box in `rgb` and every probe settled.
    QImage waitForPage(unsigned rgb)
    {
        QImage shot;
        waitUntil([&] {
            shot = m_x11->screenshot();
            if (shot.isNull() || pixelRgb(shot, centreOf(Box::Script).x(), centreOf(Box::Script).y()) != rgb)
                return false;
            for (const Box box : {Box::Network, Box::OutsideFile, Box::Navigation})
                if (pixelRgb(shot, centreOf(box).x(), centreOf(box).y()) == kGrey)
                    return false;
            return pixelRgb(shot, centreOf(Box::Navigation).x(), centreOf(Box::Navigation).y()) == kGreen;
        });
        return shot;
    }

    DesktopState savedState() const
    {
        DesktopState state;
        loadDesktopState(m_session.stateFile(), DesktopState {0, "<none>"}, state);
        return state;
    }

    QTemporaryDir m_root;
    std::unique_ptr<X11Session> m_x11;
    Listener m_listener;
    fs::path m_appDir;
    std::string m_page;
    DesktopSession m_session;
};

std::string describe(unsigned rgb)
{
    char text[16];
    std::snprintf(text, sizeof text, "#%06X", rgb);
    return text;
}

void expectPixel(const QImage& shot, QPoint at, unsigned rgb, const char* what)
{
    const unsigned actual = pixelRgb(shot, at.x(), at.y());
    EXPECT_EQ(actual, rgb) << what << " at (" << at.x() << ", " << at.y() << "): expected " << describe(rgb)
                           << ", saw " << describe(actual);
}

TEST_F(DesktopHostTest, ShowsTheLivePageAsTheDesktopWindowAndRefusesEverythingElse)
{
    XdgDesktopPlatform desktop = platform();
    SetActiveDesktopWallpaper(desktop, m_page);
    const qint64 pid = hostPid();
    ASSERT_TRUE(processAlive(pid)) << "applying with a display did not start the host";

    const QImage shot = waitForPage(kGreen);
    ASSERT_FALSE(shot.isNull());
    expectPixel(shot, centreOf(Box::Script), kGreen, "box painted by the page's script");
    expectPixel(shot, centreOf(Box::Network), kGreen, "network requests refused");
    expectPixel(shot, centreOf(Box::OutsideFile), kGreen, "file outside the application folder refused");
    expectPixel(shot, centreOf(Box::Interfaces), kGreen, "WebRTC and WebSocket taken away");
    expectPixel(shot, centreOf(Box::Marker), kBlue, "image from opt/ in the application folder");
    expectPixel(shot, centreOf(Box::Navigation), kGreen, "the page stayed after trying to leave");
    for (const QPoint corner : {QPoint(0, 0), QPoint(kScreenWidth - 1, 0), QPoint(0, kScreenHeight - 1),
                                QPoint(kScreenWidth - 1, kScreenHeight - 1), QPoint(640, 600)})
        expectPixel(shot, corner, kDesktopRgb, "desktop colour where the page draws nothing");
    EXPECT_EQ(m_listener.connections(), 0) << "the page reached the network";
    QFile log(QString::fromStdString(m_session.hostLogFile().string()));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly)) << "the host keeps its own log";
    EXPECT_TRUE(log.readAll().contains("refused a request of the page: " + QUrl::fromLocalFile(qpath("private/secret.png")).toEncoded()))
        << "the request for the outside file was not refused by the host's checks";

    const std::vector<X11Window> windows = desktopWindowsOf(pid);
    ASSERT_EQ(windows.size(), 1u) << "one desktop window of the host";
    EXPECT_EQ(windows[0].geometry, QRect(0, 0, kScreenWidth, kScreenHeight));
    for (const char* state : {"_NET_WM_STATE_BELOW", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
        EXPECT_TRUE(windows[0].hasProperty("_NET_WM_STATE", state)) << state << "\n" << windows[0].properties.data();

    EXPECT_EQ(savedState(), (DesktopState {DesktopBackgroundColor, m_page}));
    EXPECT_TRUE(fs::exists(m_session.autostartFile()));
}

TEST_F(DesktopHostTest, SecondStartHandsOverToTheFirstHost)
{
    XdgDesktopPlatform desktop = platform();
    SetActiveDesktopWallpaper(desktop, m_page);
    const qint64 first = hostPid();
    ASSERT_FALSE(waitForPage(kGreen).isNull());

    const ToolRun second = runTool(QString::fromStdString((m_appDir / kDesktopHostName).string()), {});
    EXPECT_EQ(second.exitCode, 0) << second.errors.constData();
    SetActiveDesktopWallpaper(desktop, m_page);

    EXPECT_EQ(hostPid(), first);
    EXPECT_TRUE(processAlive(first));
    std::size_t desktopWindows = 0;
    for (const X11Window& window : m_x11->topLevelWindows())
        if (window.hasProperty("_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DESKTOP"))
            ++desktopWindows;
    EXPECT_EQ(desktopWindows, 1u) << "a second host window appeared";
}

TEST_F(DesktopHostTest, ReloadsWhenToldToApplyAndWhenThePageIsReplaced)
{
    XdgDesktopPlatform desktop = platform();
    SetActiveDesktopWallpaper(desktop, m_page);
    ASSERT_FALSE(waitForPage(kGreen).isNull());

    // Rewritten in place with its size and time kept, the page changes only for whoever is told.
    struct stat before {};
    ASSERT_EQ(::stat(m_page.c_str(), &before), 0);
    writePage(QStringLiteral("#0000ff"));
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, m_page.c_str(), times, 0), 0);
    SetActiveDesktopWallpaper(desktop, m_page);
    const QImage applied = waitForPage(kBlue);
    expectPixel(applied, centreOf(Box::Script), kBlue, "page reloaded on apply");

    // Replaced through a new file renamed over it, as the program writes it: no command needed.
    {
        QFile next(QString::fromStdString(m_page + ".new"));
        ASSERT_TRUE(next.open(QIODevice::WriteOnly));
        next.write(probePage(m_listener.port(), qpath("private/secret.png"), QStringLiteral("#ffff00")));
    }
    ASSERT_EQ(::rename((m_page + ".new").c_str(), m_page.c_str()), 0);
    const QImage replaced = waitForPage(kYellow);
    expectPixel(replaced, centreOf(Box::Script), kYellow, "page reloaded after it was replaced");
}

TEST_F(DesktopHostTest, RemovingLeavesThePlainDesktopColour)
{
    XdgDesktopPlatform desktop = platform();
    SetActiveDesktopWallpaper(desktop, m_page);
    const qint64 pid = hostPid();
    ASSERT_FALSE(waitForPage(kGreen).isNull());

    RemoveWallpaper(desktop);
    QImage shot;
    const bool plain = waitUntil([&] {
        shot = m_x11->screenshot();
        if (shot.isNull())
            return false;
        for (int y = 0; y < shot.height(); y += 4)
            for (int x = 0; x < shot.width(); x += 4)
                if (pixelRgb(shot, x, y) != kDesktopRgb)
                    return false;
        return true;
    });
    EXPECT_TRUE(plain) << "the screen is not the plain desktop colour";
    EXPECT_EQ(hostPid(), pid);
    EXPECT_TRUE(processAlive(pid));
    EXPECT_EQ(desktopWindowsOf(pid).size(), 1u);
    EXPECT_EQ(savedState(), (DesktopState {DesktopBackgroundColor, ""}));
    EXPECT_FALSE(fs::exists(m_session.autostartFile()));
}

TEST_F(DesktopHostTest, StateSavedWithoutDisplayShowsWhenTheSessionStartsTheHost)
{
    DesktopSession noDisplay = m_session;
    noDisplay.display.clear();
    XdgDesktopPlatform desktop(m_appDir, noDisplay);
    SetActiveDesktopWallpaper(desktop, m_page);
    EXPECT_FALSE(processAlive(hostPid())) << "a host started without a display";

    // What the session's autostart does: run the entry's program.
    QFile entry(QString::fromStdString(m_session.autostartFile().string()));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    QString program;
    for (const QByteArray& line : entry.readAll().split('\n'))
        if (line.startsWith("TryExec="))
            program = QString::fromUtf8(line.mid(8));
    ASSERT_EQ(program.toStdString(), (m_appDir / kDesktopHostName).string());
    ASSERT_TRUE(QProcess::startDetached(program, {}, QString::fromStdString(m_appDir.string())));

    const QImage shot = waitForPage(kGreen);
    expectPixel(shot, centreOf(Box::Script), kGreen, "saved page shown by the session's host");
    expectPixel(shot, QPoint(0, kScreenHeight - 1), kDesktopRgb, "saved desktop colour");
}

/// Share of sampled pixels inside `area` that are not the desktop colour.
double shareNotDesktopColour(const QImage& shot, const QRect& area)
{
    int samples = 0;
    int other = 0;
    for (int y = area.top(); y <= area.bottom(); y += 7)
        for (int x = area.left(); x <= area.right(); x += 7) {
            ++samples;
            other += pixelRgb(shot, x, y) != kDesktopRgb ? 1 : 0;
        }
    return samples == 0 ? 0.0 : static_cast<double>(other) / samples;
}

/// Whether every sampled pixel of the screen outside `map` has the desktop colour.
bool desktopColourAround(const QImage& shot, const QRect& map)
{
    for (int y = 0; y < shot.height(); y += 5)
        for (int x = 0; x < shot.width(); x += 5)
            if (!map.contains(x, y) && pixelRgb(shot, x, y) != kDesktopRgb)
                return false;
    return true;
}

/// A fresh application folder at `app`: the built one without anything an earlier run wrote into it.
void copyFreshAppFolder(const fs::path& app)
{
    fs::copy(ORBICLOCK_APP_DIR, app, fs::copy_options::recursive);
    for (const char* written : {"Orbiclock.html", "Orbiclock.ini", "Orbiclock.log", "riseset.txt"})
        fs::remove(app / written);
    for (const auto& entry : fs::directory_iterator(app / "opt")) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with("_background_dots.gif") || name.ends_with("_background_solid.gif"))
            fs::remove(entry.path());
    }
}

TEST_F(DesktopHostTest, AutoupdateMakesTheLiveMapTheDesktopAndRemoveTakesItAway)
{
    const fs::path app = path("Orbiclock");
    copyFreshAppFolder(app);
    const QString program = QString::fromStdString((app / "Orbiclock").string());
    const std::string page = (app / "Orbiclock.html").string();
    ASSERT_TRUE(fs::exists(app / "Orbiclock")) << "build the Orbiclock target first";

    const ToolRun update = runTool(program, {QStringLiteral("-autoupdate")});
    ASSERT_EQ(update.exitCode, 0) << update.errors.constData();
    const qint64 pid = hostPid();
    ASSERT_TRUE(processAlive(pid)) << "-autoupdate did not start the desktop host";
    EXPECT_EQ(savedState(), (DesktopState {DesktopBackgroundColor, page}));
    EXPECT_TRUE(fs::exists(m_session.autostartFile()));

    // The page centres the map for the screen; around it the desktop colour shows.
    const BackgroundLayout layout = chooseBackground(ScreenSize {kScreenWidth, kScreenHeight});
    const QRect map(layout.left, layout.top, layout.width, layout.height);
    QImage shot;
    const bool shown = waitUntil([&] {
        shot = m_x11->screenshot();
        return !shot.isNull() && shareNotDesktopColour(shot, map.adjusted(20, 20, -20, -20)) > 0.5
            && desktopColourAround(shot, map);
    });
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shown) << "map share " << shareNotDesktopColour(shot, map.adjusted(20, 20, -20, -20))
                       << ", desktop colour around the map: " << desktopColourAround(shot, map);
    const std::vector<X11Window> windows = desktopWindowsOf(pid);
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0].geometry, QRect(0, 0, kScreenWidth, kScreenHeight));

    const ToolRun again = runTool(program, {QStringLiteral("-autoupdate")});
    EXPECT_EQ(again.exitCode, 0) << again.errors.constData();
    EXPECT_EQ(hostPid(), pid) << "a second host took over";
    std::size_t desktopWindows = 0;
    for (const X11Window& window : m_x11->topLevelWindows())
        if (window.hasProperty("_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DESKTOP"))
            ++desktopWindows;
    EXPECT_EQ(desktopWindows, 1u);

    const ToolRun remove = runTool(program, {QStringLiteral("-remove")});
    ASSERT_EQ(remove.exitCode, 0) << remove.errors.constData();
    const bool plain = waitUntil([&] {
        shot = m_x11->screenshot();
        return !shot.isNull() && desktopColourAround(shot, QRect());
    });
    EXPECT_TRUE(plain) << "-remove did not leave the plain desktop colour";
    EXPECT_TRUE(processAlive(pid));
    EXPECT_EQ(savedState(), (DesktopState {DesktopBackgroundColor, ""}));
    EXPECT_FALSE(fs::exists(m_session.autostartFile()));
}

TEST(DesktopHostWithoutX11, AutoupdateWithoutDisplaySavesTheStateAndSucceeds)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const fs::path base = root.path().toStdString();
    copyFreshAppFolder(base / "Orbiclock");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString((base / "config").string()));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString((base / "run").string()));

    const ToolRun update =
        runTool(QString::fromStdString((base / "Orbiclock" / "Orbiclock").string()), {QStringLiteral("-autoupdate")},
                environment);
    ASSERT_EQ(update.exitCode, 0) << update.errors.constData();

    DesktopState state;
    ASSERT_EQ(loadDesktopState(base / "config" / "orbiclock" / "desktop.ini", DesktopState {}, state), 0);
    EXPECT_EQ(state, (DesktopState {DesktopBackgroundColor, (base / "Orbiclock" / "Orbiclock.html").string()}));
    EXPECT_TRUE(fs::exists(state.wallpaper)) << "the page was not written";
    EXPECT_TRUE(fs::exists(base / "config" / "autostart" / "orbiclock-desktop.desktop"));
    EXPECT_FALSE(fs::exists(base / "run" / "orbiclock-desktop-nodisplay.lock")) << "a host started without a display";
}

TEST(DesktopHostWithoutX11, SaysOnceThatTheDesktopCannotHostItAndKeepsAnswering)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("run")));
    ::chmod((root.path() + QStringLiteral("/run")).toLocal8Bit().constData(), 0700);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root.path() + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.path() + QStringLiteral("/run"));
    if (::geteuid() == 0)
        environment.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));

    QProcess host;
    host.setProcessEnvironment(environment);
    host.start(QStringLiteral(ORBICLOCK_APP_DIR "/") + kDesktopHostName, {});
    ASSERT_TRUE(host.waitForStarted(30000));

    const fs::path socket = fs::path(root.path().toStdString()) / "run" / "orbiclock-desktop-nodisplay.socket";
    HostReply reply;
    ASSERT_TRUE(waitUntil([&] {
        reply = sendHostCommand(socket, kHostPing, std::chrono::seconds(5));
        return reply.connected && reply.answer;
    }));
    EXPECT_EQ(*reply.answer, kHostUnsupported);
    for (int i = 0; i < 2; ++i) {
        const HostReply applied = sendHostCommand(socket, kHostApply, std::chrono::seconds(5));
        ASSERT_TRUE(applied.answer.has_value());
        EXPECT_EQ(*applied.answer, kHostUnsupported);
    }

    host.terminate();
    ASSERT_TRUE(host.waitForFinished(30000));
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.exitCode(), 0);
    const QString errors = QString::fromLocal8Bit(host.readAllStandardError());
    EXPECT_EQ(errors.count(QStringLiteral("no layer behind the desktop icons")), 1) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("desktop.ini"))) << "the message says where the state is kept";
    EXPECT_FALSE(fs::exists(socket)) << "the socket outlived the host";
}

} // namespace
} // namespace orbiclock
