#include "locations/HelpWindow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace orbiclock {
namespace {

QUrl fileUrl(const std::filesystem::path& path)
{
    return QUrl::fromLocalFile(QString::fromStdString(path.string()));
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Orbiclock Help"));
    // Closing the settings window ends the program even while help is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(720, 600);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(true);

    m_btnContents = new QPushButton(QStringLiteral("Contents"), this);
    m_btnBack = new QPushButton(QStringLiteral("Back"), this);
    m_btnForward = new QPushButton(QStringLiteral("Forward"), this);
    m_btnClose = new QPushButton(QStringLiteral("Close"), this);
    m_btnContents->setObjectName(QStringLiteral("btnContents"));
    m_btnBack->setObjectName(QStringLiteral("btnBack"));
    m_btnForward->setObjectName(QStringLiteral("btnForward"));
    m_btnClose->setObjectName(QStringLiteral("btnClose"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btnContents);
    buttons->addWidget(m_btnBack);
    buttons->addWidget(m_btnForward);
    buttons->addStretch(1);
    buttons->addWidget(m_btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser, 1);

    connect(m_btnContents, &QPushButton::clicked, this, [this] {
        if (!m_contents.empty())
            m_browser->setSource(fileUrl(m_contents));
    });
    connect(m_btnBack, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_btnForward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(m_browser, &QTextBrowser::historyChanged, this, &HelpWindow::updateButtons);
    updateButtons();
}

void HelpWindow::showPage(const std::filesystem::path& page, const std::filesystem::path& contents)
{
    m_contents = contents;
    const bool wasMissing = std::exchange(m_missing, false);
    m_browser->setSource(fileUrl(page));
    if (wasMissing) // the browser still holds the last page's address and would not load it again
        m_browser->reload();
    updateButtons();
}

void HelpWindow::showEvent(QShowEvent* event)
{
    // The first time, in the middle of the screen; afterwards where the user left it.
    if (!m_placed) {
        m_placed = true;
        if (const QScreen* s = screen()) {
            const QRect area = s->availableGeometry();
            move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
        }
    }
    QWidget::showEvent(event);
}

void HelpWindow::showMissingHelp(const std::filesystem::path& bundle)
{
    m_contents.clear();
    m_missing = true;
    m_browser->setHtml(QStringLiteral("<h2>Help is not installed</h2><p>The help pages were not found in "
                                      "<code>%1</code>. They are part of the program's folder; installing "
                                      "Orbiclock again puts them back.</p>")
                           .arg(QString::fromStdString(bundle.string()).toHtmlEscaped()));
    m_browser->clearHistory();
    updateButtons();
}

std::filesystem::path HelpWindow::currentPage() const
{
    if (m_missing)
        return {};
    const QUrl source = m_browser->source();
    if (!source.isLocalFile())
        return {};
    return std::filesystem::path(source.toLocalFile().toStdString());
}

void HelpWindow::updateButtons()
{
    m_btnContents->setEnabled(!m_contents.empty());
    m_btnBack->setEnabled(m_browser->isBackwardAvailable());
    m_btnForward->setEnabled(m_browser->isForwardAvailable());
}

} // namespace orbiclock
