#pragma once

#include <QString>
#include <QUrl>

namespace orbiclock {

/// Which URLs the desktop page may load: regular files inside the application folder, judged after
/// every symbolic link is followed, and inline data URLs. Nothing from the network, no other file.
class AppFolderPolicy {
public:
    /// `appDir` is resolved to its canonical path once; a folder that does not exist allows nothing.
    explicit AppFolderPolicy(const QString& appDir);

    /// True when the page may load `url`.
    bool allows(const QUrl& url) const;
    /// True when `localPath` names an existing regular file inside the folder.
    bool allowsFile(const QString& localPath) const;
    /// The folder's canonical path, without a trailing slash; empty when it does not exist.
    const QString& canonicalAppDir() const noexcept { return m_appDir; }

private:
    QString m_appDir;
};

} // namespace orbiclock
