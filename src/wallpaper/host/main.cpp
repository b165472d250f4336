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
#include <thread>

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

} // namespace

int main(int argc, char** argv)
{
    const DesktopSession session = DesktopSession::fromEnvironment();
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
    if (!host.start(&error)) {
        hostLog(error);
        return 1;
    }
    return QApplication::exec();
}
