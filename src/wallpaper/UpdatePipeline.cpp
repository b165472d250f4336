#include "wallpaper/UpdatePipeline.h"

#include "astro/CheckedMath.h"
#include "astro/Clock.h"
#include "astro/Location.h"
#include "astro/OrbiclockError.h"
#include "locations/LocationRow.h"
#include "wallpaper/IniFile.h"
#include "wallpaper/LocationRecord.h"
#include "wallpaper/PageContext.h"
#include "wallpaper/TextFiles.h"

#include <cstdio>
#include <exception>

namespace orbiclock {
namespace {

constexpr const char* kTemplateFile = "Orbiclock_TEMPLATE.html";
constexpr const char* kPageFile = "Orbiclock.html";
constexpr const char* kSunTableFile = "riseset.txt";
constexpr const char* kOffsetPlaceholder = "%%VARO%%Clock0GMTOffset";

// Restores the window on every way out of a run: from the template step on also the status panel.
class RunCleanup {
public:
    explicit RunCleanup(UpdateHost& host) : m_host(host) {}
    RunCleanup(const RunCleanup&) = delete;
    RunCleanup& operator=(const RunCleanup&) = delete;
    ~RunCleanup()
    {
        // A failure while restoring must not replace the error that ended the run.
        try {
            if (m_panelArmed) {
                m_host.setStatusText("");
                m_host.setStatusVisible(false);
                m_host.processMessages();
            }
        } catch (...) {
        }
        try {
            m_host.setWindowEnabled(true);
        } catch (...) {
        }
    }
    void armPanel() noexcept { m_panelArmed = true; }

private:
    UpdateHost& m_host;
    bool m_panelArmed = false;
};

// Drops work a step began ahead when the run ends before the step; after the step, dropping finds
// nothing left.
class AbandonOnExit {
public:
    using Abandon = void (UpdateSteps::*)() noexcept;
    AbandonOnExit(UpdateSteps& steps, Abandon abandon) noexcept : m_steps(steps), m_abandon(abandon) {}
    AbandonOnExit(const AbandonOnExit&) = delete;
    AbandonOnExit& operator=(const AbandonOnExit&) = delete;
    ~AbandonOnExit() { (m_steps.*m_abandon)(); }

private:
    UpdateSteps& m_steps;
    Abandon m_abandon;
};

std::string withTrailingSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

void replaceFirst(std::string& text, const std::string& what, const std::string& with)
{
    const auto at = text.find(what);
    if (at != std::string::npos)
        text.replace(at, what.size(), with);
}

} // namespace

UpdatePipeline::UpdatePipeline(UpdateEnvironment environment, UpdateHost& host, UpdateSteps& steps)
    : m_env(std::move(environment)), m_host(host), m_steps(steps)
{
    if (m_env.clock == nullptr || !m_env.screenSize)
        throw OrbiclockError("The update needs a clock and a screen size");
}

void UpdatePipeline::run(LocationCursor& locations)
{
    const auto showStatus = [this](const char* text) {
        m_host.setStatusText(text);
        m_host.processMessages();
    };

    m_host.setWindowEnabled(false);
    RunCleanup cleanup(m_host);

    showStatus(status::kScreenSize);
    m_host.setStatusVisible(true);
    m_background = chooseBackground(m_env.screenSize());

    m_appDir = withTrailingSlash(m_env.appDir.string());
    m_appDirUrl = fileUrlFromPath(m_appDir);
    const std::filesystem::path appDir(m_appDir);

    cleanup.armPanel();
    showStatus(status::kLoadingTemplate);
    std::string pageText = readTextLinesCrLf(appDir / kTemplateFile);
    const AbandonOnExit overlaysGuard(m_steps, &UpdateSteps::abandonDaylightOverlays);
    {
        showStatus(status::kSunTable);
        TLocation gmtLocation("GMT", 0.0, 0.0, 0.0, 0.0);
        m_host.processMessages();
        // The page needs nothing of the sun table, so it is built while the table's rows are computed
        // (not where a developer settings file is to be written on the way: it stays after the table). It
        // still counts as the next step: the table is written first, its error comes first, and the
        // page's error is raised at the page's step.
        const AbandonOnExit tableGuard(m_steps, &UpdateSteps::abandonSunTable);
        const bool pageAhead =
            !m_env.developerSettingsDir && m_steps.beginSunTable(appDir / kSunTableFile, *m_env.clock, gmtLocation);
        std::exception_ptr pageError;
        if (pageAhead) {
            const TLocationRec currentRec = m_currentRec;
            const double currentOffsetHours = m_currentOffsetHours;
            const bool currentPlaceOnMap = m_currentPlaceOnMap;
            TLocation pageLocation = gmtLocation; // the page's own; the table's rows have theirs
            try {
                runCurrentPlaceStep(locations, pageText, pageLocation);
            } catch (...) {
                pageError = std::current_exception();
            }
            try {
                m_steps.writeSunTable(appDir / kSunTableFile, *m_env.clock, gmtLocation);
            } catch (...) {
                // As if the page step had not run: the values of the last run stay.
                m_currentRec = currentRec;
                m_currentOffsetHours = currentOffsetHours;
                m_currentPlaceOnMap = currentPlaceOnMap;
                throw;
            }
        } else {
            m_steps.writeSunTable(appDir / kSunTableFile, *m_env.clock, gmtLocation);
        }
        // The overlays need the sun table and nothing of the page: they may be painted meanwhile. Their
        // files are written, and their errors raised, at their own step.
        m_steps.beginDaylightOverlays(appDir, m_background, m_env.overlay);

        showStatus(status::kLocations);
        if (!pageAhead)
            runCurrentPlaceStep(locations, pageText, gmtLocation);
        else if (pageError)
            std::rethrow_exception(pageError);

        showStatus(status::kSavingPage);
        writeFileAtomically(appDir / kPageFile, pageText);
        m_host.setLocationsChanged(false);
        m_lastPageText = std::move(pageText);
    } // the GMT location and the page text go here, on success and on failure alike

    locations.first();

    showStatus(status::kDaylightCurve);
    m_steps.buildDaylightOverlays(appDir, m_background, m_env.overlay);

    showStatus(status::kDesktop);
    m_steps.installWallpaper((appDir / kPageFile).string());
}

void UpdatePipeline::runCurrentPlaceStep(LocationCursor& locations, std::string& pageText, TLocation& gmtLocation)
{
    const TLocationRec gmtRec = GmtReferenceRecord();

    locations.first();
    m_currentRec = TLocationRec{};
    m_currentPlaceOnMap = false;
    if (!locations.eof()) {
        const LocationRow& row = locations.current();
        m_currentRec = locationRecFromRow(row);
        m_currentPlaceOnMap = row.PosY != 0 && row.PosX != 0;
    }

    if (m_env.developerSettingsDir && std::filesystem::is_directory(*m_env.developerSettingsDir)) {
        const LocationOffset offset = ComputeLocationOffset(gmtRec, m_currentRec, *m_env.clock);
        IniFile developerSettings(*m_env.developerSettingsDir / "Orbiclock.ini");
        // Whole hours only: +5:30 is kept as 50.
        developerSettings.writeInteger("Settings", "CurGmtOffsetTimes10", checkedMul(offset.Hours, 10));
    }

    const LocationOffset toGmt = ComputeLocationOffset(m_currentRec, gmtRec, *m_env.clock);
    replaceFirst(pageText, kOffsetPlaceholder, signedWholeHours(toGmt.Hours));
    m_currentOffsetHours = static_cast<double>(
        -(static_cast<long double>(toGmt.Hours) + static_cast<long double>(toGmt.Minutes) / 60.0L));

    PageContext page{pageText,        m_background,       m_appDirUrl,  m_env.overlay, gmtRec,
                     m_currentRec,    m_currentOffsetHours, m_currentPlaceOnMap, gmtLocation, locations,
                     *m_env.clock};
    page.screen = m_env.screenSize();
    if (m_env.visibleCount)
        page.visibleCount = m_env.visibleCount();
    m_steps.buildPageContents(page);
}

std::string fileUrlFromPath(const std::string& path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (unreserved) {
            url += ch;
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 0x0F];
        }
    }
    return url;
}

} // namespace orbiclock
