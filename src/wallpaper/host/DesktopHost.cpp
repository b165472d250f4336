#include "DesktopHost.h"

#include "DesktopProfile.h"
#include "DesktopWindow.h"
#include "HostLog.h"
#include "X11DesktopWindow.h"
#include "wallpaper/DesktopInstallation.h"
#include "wallpaper/platform/AtomicFile.h"
#include "wallpaper/platform/HostLink.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>

#include <cerrno>

namespace orbiclock {

namespace {

/// A command line is a short word; anything longer is not one of ours.
constexpr qint64 kMaxCommandLength = 64;

QColor toQColor(std::uint32_t color)
{
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

QByteArray bytes(std::string_view text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

DesktopHost::DesktopHost(const QString& appDir, DesktopSession session)
    : m_appDir(appDir)
    , m_session(std::move(session))
    , m_policy(appDir)
    , m_unavailableReason(desktopLayerUnavailableReason())
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &DesktopHost::acceptConnections);
    connect(&m_watcher, &PageFileWatcher::changed, this, &DesktopHost::showWatchedPage);
}

DesktopHost::~DesktopHost() = default;

bool DesktopHost::listen(QString* error)
{
    const QString socketName = QFile::decodeName(m_session.hostSocket().c_str());
    // The caller holds the session's host lock, so a socket file left here belongs to a dead host.
    QLocalServer::removeServer(socketName);
    if (!m_server.listen(socketName)) {
        *error = QStringLiteral("cannot listen on %1: %2").arg(socketName, m_server.errorString());
        return false;
    }

    if (!m_unavailableReason.isEmpty()) {
        hostLog(QStringLiteral("%1. The desktop state is kept in %2 and shows in a session that can "
                               "host it.")
                    .arg(m_unavailableReason, QFile::decodeName(m_session.stateFile().c_str())));
    }
    return true;
}

void DesktopHost::showDesktop()
{
    if (!m_unavailableReason.isEmpty())
        return;
    m_profile = createDesktopProfile(m_policy, this);
    m_window = std::make_unique<DesktopWindow>(m_profile);
    m_window->followPrimaryScreen();
    showState();
    m_window->show();
    m_window->lower();
}

void DesktopHost::acceptConnections()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readCommands(socket); });
        readCommands(socket);
    }
}

void DesktopHost::readCommands(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        const QByteArray command = socket->readLine(kMaxCommandLength + 1).trimmed();
        socket->write(execute(command) + '\n');
        socket->flush();
    }
    if (socket->bytesAvailable() > kMaxCommandLength)
        socket->abort();
}

QByteArray DesktopHost::execute(const QByteArray& command)
{
    const QByteArray answer = bytes(m_unavailableReason.isEmpty() ? kHostOk : kHostUnsupported);
    if (command == bytes(kHostPing))
        return answer;
    if (command == bytes(kHostColor)) {
        showColor();
        return answer;
    }
    if (command == bytes(kHostApply)) {
        showState();
        return answer;
    }
    return QByteArrayLiteral("unknown command");
}

DesktopState DesktopHost::loadState() const
{
    const DesktopState defaults {DesktopBackgroundColor, std::string()};
    DesktopState state;
    const int result = loadDesktopState(m_session.stateFile(), defaults, state);
    if (result != 0 && result != ENOENT)
        hostLog(QStringLiteral("cannot read %1: %2")
                    .arg(QFile::decodeName(m_session.stateFile().c_str()),
                         QString::fromStdString(errnoText(result))));
    return state;
}

void DesktopHost::showColor()
{
    if (m_window)
        m_window->setColor(toQColor(loadState().color));
}

void DesktopHost::showState()
{
    if (!m_window)
        return;
    const DesktopState state = loadState();
    m_window->setColor(toQColor(state.color));

    const QString page = QString::fromStdString(state.wallpaper);
    m_watcher.watch(page);
    if (page.isEmpty()) {
        m_window->showPage(QUrl());
        return;
    }
    // A missing page shows the plain colour until it appears; the watcher brings it in.
    if (!QFileInfo::exists(page)) {
        m_window->showPage(QUrl());
        return;
    }
    if (!m_policy.allowsFile(page)) {
        if (page != m_refusedPage)
            hostLog(QStringLiteral("not showing %1: only pages inside %2 are shown")
                        .arg(page, m_policy.canonicalAppDir()));
        m_refusedPage = page;
        m_window->showPage(QUrl());
        return;
    }
    m_refusedPage.clear();
    m_window->showPage(QUrl::fromLocalFile(page));
}

void DesktopHost::showWatchedPage()
{
    showState();
}

} // namespace orbiclock
