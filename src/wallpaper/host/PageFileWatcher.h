#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <sys/types.h>

namespace orbiclock {

/// Tells when a file appears, is replaced (written and renamed over) or rewritten. It listens to the
/// file system's change notices on the file and its folder, never polls, and waits for writes to
/// settle so one replacement gives one `changed`.
class PageFileWatcher : public QObject {
    Q_OBJECT

public:
    explicit PageFileWatcher(QObject* parent = nullptr);

    /// Watches `path` from now on (an empty path: nothing); its present state counts as seen.
    void watch(const QString& path);

signals:
    void changed();

private:
    /// What identifies one version of the file: which file it is, its size and modification time.
    struct Stamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long modifiedNs = 0;
        friend bool operator==(const Stamp&, const Stamp&) = default;
    };
    static Stamp stampOf(const QString& path);
    void rewatch();
    void settle();

    QFileSystemWatcher m_watcher;
    QTimer m_settleTimer;
    QString m_path;
    Stamp m_seen;
};

} // namespace orbiclock
