#pragma once

#include <QUrl>
#include <QWebEnginePage>

namespace orbiclock {

/// The wallpaper page: it may show the one page it was opened on and reload it, but it cannot
/// navigate elsewhere, open windows or dialogs, or obtain any permission.
class DesktopPage : public QWebEnginePage {
    Q_OBJECT

public:
    DesktopPage(QWebEngineProfile* profile, QObject* parent);

    /// Opens `page`, the only address the main frame may show from now on.
    void open(const QUrl& page);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl& securityOrigin, const QString& message) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& message) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& message, const QString& defaultValue,
                          QString* result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceId) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList& oldFiles,
                            const QStringList& acceptedMimeTypes) override;

private:
    QUrl m_page;
    int m_reportedMessages = 0;
};

} // namespace orbiclock
