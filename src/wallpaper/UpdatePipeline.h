#pragma once

#include "astro/LocationOffset.h"
#include "wallpaper/BackgroundLayout.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace orbiclock {

class Clock;
class LocationCursor;
class SunTableBuild;
class TLocation;
struct PageContext;

/// The status texts of the update, in the order the run shows them.
namespace status {
inline constexpr const char* kScreenSize = "Calculating Screen Size";
inline constexpr const char* kLoadingTemplate = "Loading HTML Template";
inline constexpr const char* kSunTable = "Calculating Sunrise and Sunset Table";
inline constexpr const char* kLocations = "Updating Locations";
inline constexpr const char* kSavingPage = "Saving HTML File";
inline constexpr const char* kDaylightCurve = "Calculating Daylight Curve";
inline constexpr const char* kDesktop = "Updating Windows Desktop";
} // namespace status

/// What the pipeline needs of the window that runs it.
class UpdateHost {
public:
    virtual ~UpdateHost() = default;
    virtual void setWindowEnabled(bool enabled) = 0;
    virtual void setStatusText(const std::string& text) = 0;
    virtual void setStatusVisible(bool visible) = 0;
    /// Lets the user interface process its pending messages.
    virtual void processMessages() = 0;
    virtual void setLocationsChanged(bool changed) = 0;
};

/// The steps whose insides live in their own units; the pipeline calls them in its fixed order.
class UpdateSteps {
public:
    virtual ~UpdateSteps() = default;
    virtual void writeSunTable(const std::filesystem::path& file, const Clock& clock, TLocation& gmtLocation) = 0;
    virtual void buildPageContents(PageContext& page) = 0;
    virtual void buildDaylightOverlays(const std::filesystem::path& appDir, const BackgroundLayout& background,
                                       OverlaySize overlay) = 0;
    virtual void installWallpaper(const std::string& pagePath) = 0;

    /// Called once the sun table has been written, before the page is built: the step may begin here
    /// the work of buildDaylightOverlays with the same values, as long as it writes nothing, calls
    /// nothing of the host and raises nothing; buildDaylightOverlays then finishes it. By default
    /// nothing is begun.
    virtual void beginDaylightOverlays(const std::filesystem::path& /*appDir*/, const BackgroundLayout& /*background*/,
                                       OverlaySize /*overlay*/)
    {
    }
    /// Drops what beginDaylightOverlays began, when the run ends before the overlay step.
    virtual void abandonDaylightOverlays() noexcept {}

    /// Called where the sun table step starts: the step may read the clock here as writeSunTable would
    /// and start computing the table, as long as it writes nothing, calls nothing of the host and keeps
    /// off `gmtLocation` until writeSunTable, which finishes it with the same values. Returns whether it
    /// began; then the pipeline builds the page meanwhile and raises the table's error first. By default
    /// nothing is begun and the steps run one after the other.
    virtual bool beginSunTable(const std::filesystem::path& /*file*/, const Clock& /*clock*/,
                               TLocation& /*gmtLocation*/)
    {
        return false;
    }
    /// Drops what beginSunTable began, when the run ends before writeSunTable.
    virtual void abandonSunTable() noexcept {}
};

/// The real steps: the sun table, page, overlay and desktop units. The desktop step goes through
/// `installWallpaper`, which the application supplies.
class DefaultUpdateSteps final : public UpdateSteps {
public:
    explicit DefaultUpdateSteps(std::function<void(const std::string&)> installWallpaper);
    ~DefaultUpdateSteps() override;
    void writeSunTable(const std::filesystem::path& file, const Clock& clock, TLocation& gmtLocation) override;
    void buildPageContents(PageContext& page) override;
    void buildDaylightOverlays(const std::filesystem::path& appDir, const BackgroundLayout& background,
                               OverlaySize overlay) override;
    void installWallpaper(const std::string& pagePath) override;
    /// Starts painting and encoding the overlay images on a worker thread while the page is built.
    void beginDaylightOverlays(const std::filesystem::path& appDir, const BackgroundLayout& background,
                               OverlaySize overlay) override;
    void abandonDaylightOverlays() noexcept override;
    /// Starts the sun table's rows on a worker thread while the page is built.
    bool beginSunTable(const std::filesystem::path& file, const Clock& clock, TLocation& gmtLocation) override;
    void abandonSunTable() noexcept override;

private:
    struct BegunOverlays;

    std::function<void(const std::string&)> m_installWallpaper;
    std::unique_ptr<SunTableBuild> m_begunTable;
    std::unique_ptr<BegunOverlays> m_begunOverlays;
};

/// Fixed inputs of the update, supplied by the application.
struct UpdateEnvironment {
    std::filesystem::path appDir;                 ///< the executable's real folder
    const Clock* clock = nullptr;
    std::function<ScreenSize()> screenSize;       ///< read at the start of every run
    OverlaySize overlay;                          ///< fixed at start-up
    /// The visible count (the main window's spinner), for the page's stacking order; may be empty.
    std::function<std::int32_t()> visibleCount;
    /// Folder of the developer settings file; it is written only when this folder exists. The
    /// program's own folder on the original platform has no counterpart here, so it is normally unset.
    std::optional<std::filesystem::path> developerSettingsDir;
};

/// The wallpaper build: `btnUpdateClick` of the main window runs one `run()` per update.
/// Program-wide values (AppDir, the background values, MapScale) keep the last run's values.
class UpdatePipeline {
public:
    UpdatePipeline(UpdateEnvironment environment, UpdateHost& host, UpdateSteps& steps);

    /// Runs the whole build in its fixed order. Raises the failing step's error after restoring the
    /// window (enabled) and, from the template step on, the status panel (cleared and hidden).
    void run(LocationCursor& locations);

    const std::string& appDir() const noexcept { return m_appDir; }
    const std::string& appDirUrl() const noexcept { return m_appDirUrl; }
    const BackgroundLayout& background() const noexcept { return m_background; }
    const TLocationRec& currentRec() const noexcept { return m_currentRec; }
    double currentOffsetHours() const noexcept { return m_currentOffsetHours; }
    bool currentPlaceOnMap() const noexcept { return m_currentPlaceOnMap; }
    /// The page text of the last run after its placeholders were filled (empty before the first).
    const std::string& lastPageText() const noexcept { return m_lastPageText; }

private:
    void runCurrentPlaceStep(LocationCursor& locations, std::string& pageText, TLocation& gmtLocation);

    UpdateEnvironment m_env;
    UpdateHost& m_host;
    UpdateSteps& m_steps;
    std::string m_appDir;
    std::string m_appDirUrl;
    BackgroundLayout m_background;
    TLocationRec m_currentRec;
    double m_currentOffsetHours = 0.0;
    bool m_currentPlaceOnMap = false;
    std::string m_lastPageText;
};

/// "file://" URL of a folder path, each byte outside the unreserved set and "/" percent-encoded.
/// Example: "/home/me/My Apps/" gives "file:///home/me/My%20Apps/".
std::string fileUrlFromPath(const std::string& path);

} // namespace orbiclock
