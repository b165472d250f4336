#include "wallpaper/host/AppFolderPolicy.h"

#include <QFileInfo>

namespace orbiclock {

AppFolderPolicy::AppFolderPolicy(const QString& appDir)
    : m_appDir(QFileInfo(appDir).canonicalFilePath())
{
}

bool AppFolderPolicy::allows(const QUrl& url) const
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("data"))
        return true;
    if (scheme != QLatin1String("file"))
        return false;
    // A host part names another machine's share; "localhost" is this one.
    if (url.host().isEmpty())
        return allowsFile(url.toLocalFile());
    if (url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return false;
    QUrl local = url;
    local.setHost(QString());
    return allowsFile(local.toLocalFile());
}

bool AppFolderPolicy::allowsFile(const QString& localPath) const
{
    if (m_appDir.isEmpty() || localPath.isEmpty())
        return false;
    const QFileInfo file(localPath);
    if (!file.isAbsolute())
        return false;
    // The canonical path has every link and ".." resolved; it is empty for a missing file.
    const QString canonical = file.canonicalFilePath();
    if (canonical.isEmpty() || !QFileInfo(canonical).isFile())
        return false;
    return canonical.startsWith(m_appDir + QLatin1Char('/'));
}

} // namespace orbiclock
