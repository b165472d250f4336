#include "wallpaper/host/AppFolderPolicy.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace orbiclock {
namespace {

/// An application folder with a page, an image and a sub-folder, beside a folder of private files,
/// with links that lead out of and into the application folder.
class AppFolderPolicyTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        const QDir root(m_root.path());
        ASSERT_TRUE(root.mkpath(QStringLiteral("app/opt")));
        ASSERT_TRUE(root.mkpath(QStringLiteral("app2")));
        ASSERT_TRUE(root.mkpath(QStringLiteral("private")));
        touch(QStringLiteral("app/Orbiclock.html"));
        touch(QStringLiteral("app/opt/1600_background.gif"));
        touch(QStringLiteral("app/opt/name with space.gif"));
        touch(QStringLiteral("app2/page.html"));
        touch(QStringLiteral("private/secret.txt"));
        ASSERT_TRUE(QFile::link(path(QStringLiteral("private/secret.txt")), path(QStringLiteral("app/opt/leak.gif"))));
        ASSERT_TRUE(QFile::link(path(QStringLiteral("private")), path(QStringLiteral("app/privlink"))));
        ASSERT_TRUE(QFile::link(path(QStringLiteral("app/opt/1600_background.gif")),
                                path(QStringLiteral("app/opt/alias.gif"))));
    }

    QString path(const QString& relative) const { return m_root.path() + QLatin1Char('/') + relative; }
    QUrl fileUrl(const QString& relative) const { return QUrl::fromLocalFile(path(relative)); }

    void touch(const QString& relative) const
    {
        QFile file(path(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << relative.toStdString();
        file.write("x");
    }

    QTemporaryDir m_root;
};

TEST_F(AppFolderPolicyTest, AllowsOnlyFilesInsideTheApplicationFolder)
{
    const AppFolderPolicy policy(path(QStringLiteral("app")));
    const QString base = QUrl::fromLocalFile(path(QString())).toString();
    struct Case {
        const char* name;
        QUrl url;
        bool allowed;
    };
    const Case cases[] = {
        {"page", fileUrl(QStringLiteral("app/Orbiclock.html")), true},
        {"image", fileUrl(QStringLiteral("app/opt/1600_background.gif")), true},
        {"encodedSpace", QUrl(base + QStringLiteral("app/opt/name%20with%20space.gif")), true},
        {"linkStayingInside", fileUrl(QStringLiteral("app/opt/alias.gif")), true},
        {"localhost", QUrl(QStringLiteral("file://localhost") + path(QStringLiteral("app/Orbiclock.html"))), true},
        {"inlineData", QUrl(QStringLiteral("data:image/gif;base64,R0lGODlhAQABAAAAACw=")), true},
        {"fileOutside", fileUrl(QStringLiteral("private/secret.txt")), false},
        {"dotDotOut", QUrl(base + QStringLiteral("app/../private/secret.txt")), false},
        {"encodedDotDotOut", QUrl(base + QStringLiteral("app/opt/%2e%2e/%2e%2e/private/secret.txt")), false},
        {"linkLeadingOut", fileUrl(QStringLiteral("app/opt/leak.gif")), false},
        {"folderLinkLeadingOut", fileUrl(QStringLiteral("app/privlink/secret.txt")), false},
        {"siblingWithSamePrefix", fileUrl(QStringLiteral("app2/page.html")), false},
        {"missingFile", fileUrl(QStringLiteral("app/opt/missing.gif")), false},
        {"folderItself", fileUrl(QStringLiteral("app")), false},
        {"subFolder", fileUrl(QStringLiteral("app/opt")), false},
        {"otherMachine", QUrl(QStringLiteral("file://server") + path(QStringLiteral("app/Orbiclock.html"))), false},
        {"http", QUrl(QStringLiteral("http://127.0.0.1:8080/x.gif")), false},
        {"https", QUrl(QStringLiteral("https://example.com/")), false},
        {"webSocket", QUrl(QStringLiteral("ws://127.0.0.1:8080/")), false},
        {"ftp", QUrl(QStringLiteral("ftp://example.com/x")), false},
        {"blob", QUrl(QStringLiteral("blob:file:///0d3c-11")), false},
        {"qtResource", QUrl(QStringLiteral("qrc:/x.html")), false},
        {"empty", QUrl(), false},
    };
    for (const Case& row : cases)
        EXPECT_EQ(policy.allows(row.url), row.allowed) << row.name << ": " << row.url.toString().toStdString();
}

TEST_F(AppFolderPolicyTest, FolderReachedThroughALinkIsJudgedByWhereItLeads)
{
    ASSERT_TRUE(QFile::link(path(QStringLiteral("app")), path(QStringLiteral("applink"))));
    const AppFolderPolicy policy(path(QStringLiteral("applink")));
    EXPECT_EQ(policy.canonicalAppDir(), QDir(path(QStringLiteral("app"))).canonicalPath());
    EXPECT_TRUE(policy.allows(fileUrl(QStringLiteral("app/Orbiclock.html"))));
    EXPECT_TRUE(policy.allows(fileUrl(QStringLiteral("applink/Orbiclock.html"))));
    EXPECT_FALSE(policy.allows(fileUrl(QStringLiteral("private/secret.txt"))));
}

TEST_F(AppFolderPolicyTest, MissingFolderAllowsNoFile)
{
    const AppFolderPolicy policy(path(QStringLiteral("gone")));
    EXPECT_TRUE(policy.canonicalAppDir().isEmpty());
    EXPECT_FALSE(policy.allows(fileUrl(QStringLiteral("app/Orbiclock.html"))));
    EXPECT_FALSE(policy.allowsFile(QStringLiteral("/")));
}

} // namespace
} // namespace orbiclock
