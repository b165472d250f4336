// The session's desktop host: shows the Orbiclock page as the desktop, one host per display.

#include "DesktopHost.h"
#include "DesktopProfile.h"
#include "HostLog.h"
#include "TerminationSignals.h"
#include "wallpaper/platform/AtomicFile.h"
#include "wallpaper/platform/HostLink.h"

#include <QApplication>
#include <QFile>
#include <QLockFile>
#include <QLoggingCategory>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace orbiclock;

/// How long a second host waits for the first to open its socket before giving up.
constexpr std::chrono::seconds kHandOverTimeout(60);

/// Another host holds the session: ask it to show the saved state and leave it the desktop.
int handOver(const DesktopSession& session)
{
    const auto deadline = std::chrono::steady_clock::now() + kHandOverTimeout;
    for (;;) {
        const HostReply reply = sendHostCommand(session.hostSocket(), kHostApply, std::chrono::seconds(5));
        if (reply.connected && reply.answer)
            return 0;
        if (std::chrono::steady_clock::now() >= deadline) {
            hostLog(QStringLiteral("another desktop host holds %1 but does not answer")
                        .arg(QFile::decodeName(session.hostLock().c_str())));
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

/// Points standard output and error at `file` (started afresh) and standard input at /dev/null.
void redirectOutput(const std::filesystem::path& file)
{
    int log = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (log < 0)
        log = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const int nothing = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    std::fflush(stdout);
    std::fflush(stderr);
    if (nothing >= 0) {
        ::dup2(nothing, STDIN_FILENO);
        ::close(nothing);
    }
    if (log >= 0) {
        ::dup2(log, STDOUT_FILENO);
        ::dup2(log, STDERR_FILENO);
        ::close(log);
    }
}

} // namespace

int main(int argc, char** argv)
{
    // The browser engine refuses to run its sandbox for root and would show nothing at all; a root
    // session still gets its desktop, without the sandbox, and the log says so.
    const bool runningAsRoot = ::geteuid() == 0;
    if (runningAsRoot)
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);

    const DesktopSession session = DesktopSession::fromEnvironment();
    if (runningAsRoot)
        hostLog(QStringLiteral("running as root: the browser engine's sandbox is off"));
    if (const int result = ensurePrivateRuntimeDir(session.runtimeDir); result != 0) {
        hostLog(QStringLiteral("cannot use the runtime folder %1: %2")
                    .arg(QFile::decodeName(session.runtimeDir.c_str()), QString::fromStdString(errnoText(result))));
        return 1;
    }

    // One host per display; the lock names the holder's process id and goes with the process.
    QLockFile lock(QFile::decodeName(session.hostLock().c_str()));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        if (lock.error() == QLockFile::LockFailedError)
            return handOver(session);
        hostLog(QStringLiteral("cannot create the lock file %1").arg(QFile::decodeName(session.hostLock().c_str())));
        return 1;
    }

    // The engine's start-up report is noise in the session log.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    addDesktopEngineSwitches();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orbiclock-desktop"));
    QApplication::setQuitOnLastWindowClosed(false);
    const TerminationSignals termination(&app);

    DesktopHost host(QCoreApplication::applicationDirPath(), session);
    QString error;
    if (!host.listen(&error)) {
        hostLog(error);
        return 1;
    }
    // Whatever the host had to tell whoever started it is said; from here on it writes to its own
    // log, so it holds no terminal or pipe of the program that started it.
    redirectOutput(session.hostLogFile());
    host.showDesktop();
    return QApplication::exec();
}
