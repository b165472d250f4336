#include "astro/OrbiclockError.h"
#include "wallpaper/DaylightOverlays.h"
#include "wallpaper/PageBuilder.h"
#include "wallpaper/PageContext.h"
#include "wallpaper/SunTableFile.h"
#include "wallpaper/UpdatePipeline.h"

namespace orbiclock {

void DefaultUpdateSteps::writeSunTable(const std::filesystem::path& file, const Clock& clock, TLocation& gmtLocation)
{
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

void DefaultUpdateSteps::buildDaylightOverlays(const std::filesystem::path& appDir, const BackgroundLayout& background,
                                               OverlaySize overlay)
{
    BuildDaylightOverlays(appDir, background.width, background.mapScale, overlay);
}

void DefaultUpdateSteps::installWallpaper(const std::string& pagePath)
{
    if (!m_installWallpaper)
        throw OrbiclockError("No desktop installation is available");
    m_installWallpaper(pagePath);
}

} // namespace orbiclock
