#include "astro/OrbiclockError.h"
#include "wallpaper/DaylightOverlays.h"
#include "wallpaper/PageContext.h"
#include "wallpaper/SunTableFile.h"
#include "wallpaper/UpdatePipeline.h"

namespace orbiclock {

void DefaultUpdateSteps::writeSunTable(const std::filesystem::path& file, const Clock& clock, TLocation& gmtLocation)
{
    WriteSunTable(file, clock, gmtLocation);
}

void DefaultUpdateSteps::buildPageContents(PageContext&)
{
    throw OrbiclockError("The page builder is not part of this build yet");
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
