#include "wallpaper/BackgroundLayout.h"

#include "astro/CheckedMath.h"

namespace orbiclock {

BackgroundLayout chooseBackground(ScreenSize screen)
{
    BackgroundLayout layout;
    const std::int32_t w = screen.width;
    if (w >= 1600)
        layout = {"1600_background.gif", 1600, 1200, 0, 0, 0.0};
    else if (w >= 1200)
        layout = {"1200_background.gif", 1200, 900, 0, 0, 0.0};
    else if (w >= 1024)
        layout = {"1024_background.gif", 1024, 768, 0, 0, 0.0};
    else if (w >= 800)
        layout = {"800_background.gif", 800, 600, 0, 0, 0.0};
    else
        layout = {"800_background.gif", w, screen.height, 0, 0, 0.0};
    // C++ integer division truncates toward zero, as the layout rules require (-133 / 2 is -66).
    layout.left = checkedSub(w, layout.width) / 2;
    layout.top = checkedSub(screen.height, layout.height) / 2;
    layout.mapScale = static_cast<double>(layout.width) / 1600.0;
    return layout;
}

ScreenBand screenBandFor(std::int32_t screenWidth) noexcept
{
    if (screenWidth >= 1600)
        return {{1390, 1200}, 0};
    if (screenWidth >= 1200)
        return {{1100, 900}, 30};
    if (screenWidth >= 1024)
        return {{890, 768}, 20};
    if (screenWidth >= 800)
        return {{695, 600}, 15};
    return {{695, 600}, 10};
}

} // namespace orbiclock
