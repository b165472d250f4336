#include "astro/OrbiclockError.h"
#include "wallpaper/DaylightOverlays.h"
#include "wallpaper/PageBuilder.h"
#include "wallpaper/PageContext.h"
#include "wallpaper/SunTableFile.h"
#include "wallpaper/UpdatePipeline.h"

#include <memory>
#include <utility>

namespace orbiclock {

bool DefaultUpdateSteps::beginSunTable(const std::filesystem::path& file, const Clock& clock, TLocation& gmtLocation)
{
    m_begunTable.reset();
    m_begunTable = std::make_unique<SunTableBuild>(file, clock, gmtLocation);
    return true;
}

void DefaultUpdateSteps::abandonSunTable() noexcept
{
    m_begunTable.reset();
}

void DefaultUpdateSteps::writeSunTable(const std::filesystem::path& file, const Clock& clock, TLocation& gmtLocation)
{
    const std::unique_ptr<SunTableBuild> begun = std::move(m_begunTable);
    if (begun && begun->file() == file) {
        begun->write();
        return;
    }
    WriteSunTable(file, clock, gmtLocation);
}

void DefaultUpdateSteps::buildPageContents(PageContext& page)
{
    // The pipeline hands over no screen size or visible count yet; take them from its other values.
    // The pipeline passes the screen and the count it knows; what it does not know is derived.
    PageScreen screen = pageScreenFromContext(page);
    if (page.screen.width > 0 && page.screen.height > 0)
        screen.screen = page.screen;
    if (page.visibleCount >= 0)
        screen.visibleCount = page.visibleCount;
    BuildPageContents(page, screen);
}

/// Overlays begun for these values, and the build that holds them.
struct DefaultUpdateSteps::BegunOverlays {
    BegunOverlays(const std::filesystem::path& dir, const BackgroundLayout& background, OverlaySize size)
        : appDir(dir), backgroundWidth(background.width), mapScale(background.mapScale), overlay(size),
          build(dir, background.width, background.mapScale, size)
    {
    }

    std::filesystem::path appDir;
    std::int32_t backgroundWidth;
    double mapScale;
    OverlaySize overlay;
    DaylightOverlayBuild build;

    bool isFor(const std::filesystem::path& dir, const BackgroundLayout& background, OverlaySize size) const
    {
        return dir == appDir && background.width == backgroundWidth && background.mapScale == mapScale &&
               size.width == overlay.width && size.height == overlay.height;
    }
};

DefaultUpdateSteps::DefaultUpdateSteps(std::function<void(const std::string&)> installWallpaper)
    : m_installWallpaper(std::move(installWallpaper))
{
}

DefaultUpdateSteps::~DefaultUpdateSteps() = default;

void DefaultUpdateSteps::beginDaylightOverlays(const std::filesystem::path& appDir,
                                               const BackgroundLayout& background, OverlaySize overlay)
{
    m_begunOverlays.reset();
    try {
        m_begunOverlays = std::make_unique<BegunOverlays>(appDir, background, overlay);
    } catch (...) {
        // Nothing begun (out of memory): the overlay step does the whole build and meets the failure there.
    }
}

void DefaultUpdateSteps::abandonDaylightOverlays() noexcept
{
    m_begunOverlays.reset();
}

void DefaultUpdateSteps::buildDaylightOverlays(const std::filesystem::path& appDir, const BackgroundLayout& background,
                                               OverlaySize overlay)
{
    const std::unique_ptr<BegunOverlays> begun = std::move(m_begunOverlays);
    if (begun && begun->isFor(appDir, background, overlay)) {
        begun->build.save();
        return;
    }
    BuildDaylightOverlays(appDir, background.width, background.mapScale, overlay);
}

void DefaultUpdateSteps::installWallpaper(const std::string& pagePath)
{
    if (!m_installWallpaper)
        throw OrbiclockError("No desktop installation is available");
    m_installWallpaper(pagePath);
}

} // namespace orbiclock
