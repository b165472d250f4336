#include "DesktopPage.h"

#include "HostLog.h"

#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>

namespace orbiclock {

namespace {

/// Script errors are reported up to this many times; a page that fails on every tick would
/// otherwise fill the session log.
constexpr int kMaxReportedMessages = 20;

QUrl withoutFragment(const QUrl& url)
{
    return url.adjusted(QUrl::RemoveFragment);
}

} // namespace

DesktopPage::DesktopPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent)
{
    setAudioMuted(true);
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl& origin, Feature feature) {
                setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
}

void DesktopPage::open(const QUrl& page)
{
    m_page = withoutFragment(page);
    setUrl(page);
}

bool DesktopPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    // Frames inside the page are left to the request checks; the page itself stays what it is.
    if (!isMainFrame)
        return type != NavigationTypeLinkClicked && type != NavigationTypeFormSubmitted;
    const bool ownPage = withoutFragment(url) == m_page;
    return ownPage && (type == NavigationTypeTyped || type == NavigationTypeReload);
}

void DesktopPage::javaScriptAlert(const QUrl&, const QString&)
{
}

bool DesktopPage::javaScriptConfirm(const QUrl&, const QString&)
{
    return false;
}

bool DesktopPage::javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*)
{
    return false;
}

void DesktopPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                           int lineNumber, const QString& sourceId)
{
    if (level != ErrorMessageLevel || m_reportedMessages >= kMaxReportedMessages)
        return;
    ++m_reportedMessages;
    hostLog(QStringLiteral("script error in %1 line %2: %3").arg(sourceId).arg(lineNumber).arg(message));
}

QStringList DesktopPage::chooseFiles(FileSelectionMode, const QStringList&, const QStringList&)
{
    return {};
}

} // namespace orbiclock
