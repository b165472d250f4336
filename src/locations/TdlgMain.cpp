#include "locations/TdlgMain.h"

#include "astro/Clock.h"
#include "astro/OrbiclockError.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>

namespace orbiclock {
namespace {

std::filesystem::path withExtension(std::filesystem::path path, const char* extension)
{
    path.replace_extension(extension);
    return path;
}

} // namespace

TdlgMain::TdlgMain(MainWindowServices services, QWidget* parent)
    : QDialog(parent),
      m_services(std::move(services)),
      m_appDir(m_services.executablePath.parent_path()),
      m_settings(withExtension(m_services.executablePath, ".ini"))
{
    if (m_services.clock == nullptr || !m_services.screenSize)
        throw OrbiclockError("The main window needs a clock and a screen size");
    setObjectName(QStringLiteral("dlgMain"));
    setWindowTitle(QStringLiteral("Orbiclock Settings"));

    m_pnlStatus = new QLabel(this);
    m_pnlStatus->setObjectName(QStringLiteral("pnlStatus"));
    m_pnlStatus->setGeometry(222, 297, 185, 29);
    m_pnlStatus->setAlignment(Qt::AlignCenter);
    m_pnlStatus->setFrameShape(QFrame::Panel);
    m_pnlStatus->setAutoFillBackground(true);
    m_pnlStatus->hide();

    rebuildPipeline();
}

TdlgMain::~TdlgMain()
{
    FormDestroy();
}

void TdlgMain::rebuildPipeline()
{
    m_steps = std::make_unique<DefaultUpdateSteps>(
        [this](const std::string& pagePath) { SetActiveDesktopWallpaper(pagePath); });
    UpdateEnvironment env;
    env.appDir = m_appDir;
    env.clock = m_services.clock;
    env.screenSize = m_services.screenSize;
    env.overlay = m_overlay;
    UpdateHost& host = *this;
    m_pipeline = std::make_unique<UpdatePipeline>(std::move(env), host, *m_steps);
}

void TdlgMain::FormCreate()
{
    m_locationsChanged = false;
    m_store.setDirectory(m_appDir / "data");
    m_helpFile = withExtension(m_services.executablePath, ".help");
    m_spinnerHandlerAttached = false;

    m_store.setFiltered(false);
    m_store.open();
    m_spinner.setMaximum(m_store.recordCount() - 1);
    m_store.close();

    LoadSettings();
    m_spinnerHandlerAttached = true;

    m_store.setFilterMaxIdx(m_spinner.value());
    m_store.setFiltered(true);
    m_store.open();
}

void TdlgMain::LoadSettings()
{
    const LoadedSettings loaded = applyStartupSettings(m_settings, m_services.screenSize().width, m_spinner);
    m_overlay = loaded.overlay;
    rebuildPipeline(); // the overlay size is fixed from here on
}

bool TdlgMain::FormClose()
{
    m_settings.writeMaxNumLocs(m_spinner.value());
    if (!m_locationsChanged)
        return true;
    const int answer = m_services.askUpdateQuestion ? m_services.askUpdateQuestion() : 7;
    if (answer == 6) {
        btnUpdateClick();
        return true;
    }
    return answer == 7;
}

void TdlgMain::FormDestroy() noexcept
{
    m_store.close();
}

void TdlgMain::setVisibleCount(std::int32_t value)
{
    const std::int32_t before = m_spinner.value();
    m_spinner.setValue(value);
    if (m_spinnerHandlerAttached && m_spinner.value() != before)
        spinNumCitiesChange();
}

void TdlgMain::spinNumCitiesChange()
{
    m_store.close();
    m_store.setFilterMaxIdx(m_spinner.value());
    m_store.setFiltered(true);
    m_store.open();
}

void TdlgMain::btnUpdateClick()
{
    m_pipeline->run(m_store);
}

LocationOffset TdlgMain::ComputeLocationOffset(const TLocationRec& a, const TLocationRec& b) const
{
    return orbiclock::ComputeLocationOffset(a, b, *m_services.clock);
}

void TdlgMain::SetActiveDesktopWallpaper(const std::string& path)
{
    if (!m_services.setActiveDesktopWallpaper)
        throw OrbiclockError("No desktop installation is available on this system");
    m_services.setActiveDesktopWallpaper(path);
}

void TdlgMain::RemoveWallpaper()
{
    if (!m_services.removeWallpaper)
        throw OrbiclockError("No desktop installation is available on this system");
    m_services.removeWallpaper();
}

void TdlgMain::ImportSystemTimeZone()
{
    const SystemTimeZoneReading zone = m_services.systemTimeZone ? m_services.systemTimeZone() : readSystemTimeZone();
    m_store.first();
    const SystemTimeZoneImport imported = importSystemTimeZone(m_store.current(), zone.info);
    // What the row cannot hold is not an error: the import goes on, and the report file says why.
    if (m_services.reportError) {
        for (const std::string& note : zone.notes)
            m_services.reportError(std::make_exception_ptr(SystemTimeZoneNote(note)));
        for (const std::string& note : imported.notes)
            m_services.reportError(std::make_exception_ptr(SystemTimeZoneNote(zone.source + ": " + note)));
    }
    m_store.overwriteCurrent(imported.row);
}

void TdlgMain::destroyPlaceGrid()
{
}

void TdlgMain::closeEvent(QCloseEvent* event)
{
    try {
        if (FormClose())
            event->accept();
        else
            event->ignore();
    } catch (...) {
        event->ignore();
        if (m_services.reportError)
            m_services.reportError(std::current_exception());
    }
}

void TdlgMain::setWindowEnabled(bool enabled)
{
    setEnabled(enabled);
}

void TdlgMain::setStatusText(const std::string& text)
{
    m_pnlStatus->setText(QString::fromStdString(text));
    if (m_services.statusEcho && !text.empty())
        m_services.statusEcho(text);
}

void TdlgMain::setStatusVisible(bool visible)
{
    m_pnlStatus->setVisible(visible);
    if (visible)
        m_pnlStatus->raise();
}

void TdlgMain::processMessages()
{
    QApplication::processEvents();
}

} // namespace orbiclock
