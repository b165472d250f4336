#include "DesktopWindow.h"

#include "DesktopPage.h"
#include "HostLog.h"
#include "X11DesktopWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace orbiclock {

DesktopWindow::DesktopWindow(QWebEngineProfile* profile)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint
                           | Qt::WindowDoesNotAcceptFocus)
    , m_profile(profile)
{
    setWindowTitle(QStringLiteral("Orbiclock desktop"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

DesktopWindow::~DesktopWindow()
{
    // The page must go before the profile it was made with.
    dropView();
}

void DesktopWindow::setColor(const QColor& color)
{
    m_color = color;
    QPalette colours = palette();
    colours.setColor(QPalette::Window, color);
    setPalette(colours);
    if (m_page)
        m_page->setBackgroundColor(color);
}

void DesktopWindow::showPage(const QUrl& page)
{
    if (page.isEmpty()) {
        dropView();
        m_shown = QUrl();
        return;
    }
    if (m_view && m_page && page == m_shown) {
        m_page->triggerAction(QWebEnginePage::ReloadAndBypassCache);
        return;
    }
    if (!m_view) {
        m_view = new QWebEngineView(this);
        m_view->setContextMenuPolicy(Qt::NoContextMenu);
        m_view->setAcceptDrops(false);
        m_view->setFocusPolicy(Qt::NoFocus);
        m_page = new DesktopPage(m_profile, m_view);
        m_view->setPage(m_page);
        layout()->addWidget(m_view);
    }
    m_page->setBackgroundColor(m_color);
    m_shown = page;
    m_page->open(page);
    m_view->show();
}

void DesktopWindow::followPrimaryScreen()
{
    fitScreen();
    auto watchScreen = [this](QScreen* screen) {
        if (screen != nullptr)
            connect(screen, &QScreen::geometryChanged, this, &DesktopWindow::fitScreen, Qt::UniqueConnection);
    };
    watchScreen(QGuiApplication::primaryScreen());
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this, watchScreen](QScreen* screen) {
        watchScreen(screen);
        fitScreen();
    });
}

bool DesktopWindow::event(QEvent* event)
{
    // Qt writes the window type when it creates the native window, before this notice and before
    // the window is mapped, so the marks set here are the ones the window manager sees.
    if (event->type() == QEvent::WinIdChange && windowHandle() != nullptr
        && desktopLayerUnavailableReason().isEmpty() && !markAsX11DesktopWindow(windowHandle()))
        hostLog(QStringLiteral("could not mark the window as the desktop window"));
    return QWidget::event(event);
}

void DesktopWindow::fitScreen()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
}

void DesktopWindow::dropView()
{
    if (m_view) {
        // The view's page is its child; deleting the view now frees the renderer before the profile.
        delete m_view.data();
    }
}

} // namespace orbiclock
