#include "locations/HelpRouter.h"

#include "locations/HelpWindow.h"

#include <QApplication>
#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

namespace orbiclock {
namespace {

constexpr const char* kHelpContextProperty = "orbiclockHelpContext";
const QString kOverview = QStringLiteral("Overview");

bool isFile(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

} // namespace

HelpRouter::HelpRouter(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("HelpRouter"));
}

HelpRouter::~HelpRouter() = default;

QString HelpRouter::topicForContext(int context)
{
    switch (context) {
    case kMainWindowContext: return QStringLiteral("Configuration");
    case kLocationPropertiesContext: return QStringLiteral("City_Properties");
    case kSelectCityContext: return QStringLiteral("City_Selection");
    default: return kOverview;
    }
}

std::filesystem::path HelpRouter::pageForTopic(const QString& topic) const
{
    if (m_helpFile.empty())
        return {};
    const std::filesystem::path page = m_helpFile / (topic + QStringLiteral(".htm")).toStdString();
    if (isFile(page))
        return page;
    const std::filesystem::path overview = m_helpFile / (kOverview + QStringLiteral(".htm")).toStdString();
    if (isFile(overview))
        return overview;
    return {};
}

bool HelpRouter::HelpRouterHelp(int context)
{
    if (!m_window)
        m_window = std::make_unique<HelpWindow>();
    const std::filesystem::path page = pageForTopic(topicForContext(context));
    if (page.empty())
        m_window->showMissingHelp(m_helpFile);
    else
        m_window->showPage(page, pageForTopic(kOverview));

    // A modal dialog blocks every window it does not own; help asked for from inside one must sit on
    // top of it to be usable, so it becomes modal itself until it is closed.
    QWidget* modal = QApplication::activeModalWidget();
    const Qt::WindowModality wanted =
        modal != nullptr && modal != m_window.get() ? Qt::ApplicationModal : Qt::NonModal;
    if (m_window->windowModality() != wanted) {
        m_window->hide();
        m_window->setWindowModality(wanted);
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return true;
}

void HelpRouter::closeHelpWindow()
{
    if (m_window)
        m_window->close();
}

void HelpRouter::setHelpContext(QWidget* widget, int context)
{
    widget->setProperty(kHelpContextProperty, context);
}

int HelpRouter::helpContext(const QWidget* widget)
{
    const QVariant value = widget->property(kHelpContextProperty);
    return value.isValid() ? value.toInt() : 0;
}

int HelpRouter::helpContextFor(const QWidget* origin)
{
    for (const QWidget* w = origin; w != nullptr; w = w->parentWidget()) {
        if (const int context = helpContext(w); context != 0)
            return context;
        if (w->isWindow())
            break;
    }
    return 0;
}

HelpRouter* HelpRouter::routerFor(const QWidget* origin)
{
    for (const QWidget* w = origin; w != nullptr; w = w->parentWidget())
        if (auto* router = w->findChild<HelpRouter*>(QString(), Qt::FindDirectChildrenOnly))
            return router;
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (auto* router = w->findChild<HelpRouter*>(QString(), Qt::FindDirectChildrenOnly))
            return router;
    return nullptr;
}

bool HelpRouter::requestHelp(const QWidget* origin, int context)
{
    HelpRouter* router = routerFor(origin);
    return router != nullptr && router->HelpRouterHelp(context);
}

void HelpRouter::attachF1(QWidget* window)
{
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), window);
    f1->setContext(Qt::WindowShortcut);
    QObject::connect(f1, &QShortcut::activated, window, [window] {
        const QWidget* focus = QApplication::focusWidget();
        const QWidget* origin = focus != nullptr && focus->window() == window ? focus : window;
        requestHelp(window, helpContextFor(origin));
    });
}

} // namespace orbiclock
