#pragma once

#include "PageFileWatcher.h"
#include "wallpaper/host/AppFolderPolicy.h"
#include "wallpaper/platform/DesktopSession.h"
#include "wallpaper/platform/DesktopState.h"

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <memory>

class QLocalSocket;
class QWebEngineProfile;

namespace orbiclock {

class DesktopWindow;

/// The session's desktop: shows the saved state in a desktop window and answers the program's
/// commands on the session socket. Where the session has no layer behind the icons it says so once,
/// shows nothing and keeps answering, so the state is kept for a session that can show it.
class DesktopHost : public QObject {
    Q_OBJECT

public:
    /// `appDir` is the folder the page and everything it loads must lie in.
    DesktopHost(const QString& appDir, DesktopSession session);
    ~DesktopHost() override;

    /// Listens on the session socket; where the session cannot show the desktop window it says so
    /// here. Returns false, with the reason in `error`, when the socket cannot be opened. Commands are
    /// answered once the event loop runs.
    bool listen(QString* error);
    /// Opens the desktop window on the saved state (nothing where the session cannot show it).
    void showDesktop();

private:
    void acceptConnections();
    void readCommands(QLocalSocket* socket);
    QByteArray execute(const QByteArray& command);
    DesktopState loadState() const;
    void showColor();
    void showState();
    void showWatchedPage();

    QString m_appDir;
    DesktopSession m_session;
    AppFolderPolicy m_policy;
    QString m_unavailableReason;
    QLocalServer m_server;
    PageFileWatcher m_watcher;
    QWebEngineProfile* m_profile = nullptr;      // child of this object, outlives the window
    std::unique_ptr<DesktopWindow> m_window;
    QString m_refusedPage;
};

} // namespace orbiclock
