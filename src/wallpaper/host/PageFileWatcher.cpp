#include "PageFileWatcher.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace orbiclock {

namespace {

/// The writer replaces the page and then its images; one reload after the burst is enough.
constexpr int kSettleMs = 700;

} // namespace

PageFileWatcher::PageFileWatcher(QObject* parent)
    : QObject(parent)
{
    m_settleTimer.setSingleShot(true);
    m_settleTimer.setInterval(kSettleMs);
    connect(&m_settleTimer, &QTimer::timeout, this, &PageFileWatcher::settle);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_settleTimer.start(); });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_settleTimer.start(); });
}

void PageFileWatcher::watch(const QString& path)
{
    m_settleTimer.stop();
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_path = path;
    m_seen = stampOf(path);
    rewatch();
}

PageFileWatcher::Stamp PageFileWatcher::stampOf(const QString& path)
{
    Stamp stamp;
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    return stamp;
}

void PageFileWatcher::rewatch()
{
    if (m_path.isEmpty())
        return;
    // A file renamed over the old one is a new file: the folder's notice catches it, and the file
    // itself is watched again each time so in-place writes are seen too.
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!m_watcher.directories().contains(folder))
        m_watcher.addPath(folder);
    if (QFileInfo::exists(m_path) && !m_watcher.files().contains(m_path))
        m_watcher.addPath(m_path);
}

void PageFileWatcher::settle()
{
    rewatch();
    const Stamp now = stampOf(m_path);
    if (now == m_seen)
        return;
    m_seen = now;
    if (now.exists)
        emit changed();
}

} // namespace orbiclock
