#pragma once

#include <QColor>
#include <QPointer>
#include <QUrl>
#include <QWidget>

class QWebEngineProfile;
class QWebEngineView;

namespace orbiclock {

class DesktopPage;

/// The frameless window that covers the primary screen: the desktop colour, with the wallpaper page
/// over it when there is one. The browser view exists only while a page is shown. On X11 the window
/// is the desktop window, and stays so when Qt recreates it (a browser view changes its surface).
class DesktopWindow : public QWidget {
    Q_OBJECT

public:
    explicit DesktopWindow(QWebEngineProfile* profile);
    ~DesktopWindow() override;

    /// The colour shown where the page draws nothing, and everywhere without a page.
    void setColor(const QColor& color);
    /// Shows `page`; an empty URL shows the plain colour. The same page again reloads it.
    void showPage(const QUrl& page);
    /// Makes the window cover the primary screen, now and whenever that screen changes.
    void followPrimaryScreen();

protected:
    bool event(QEvent* event) override;

private:
    void fitScreen();
    void dropView();

    QWebEngineProfile* m_profile;
    QPointer<QWebEngineView> m_view;
    QPointer<DesktopPage> m_page;
    QColor m_color;
    QUrl m_shown;
};

} // namespace orbiclock
