#pragma once

#include "locations/CountSpinnerModel.h"
#include "wallpaper/BackgroundLayout.h"
#include "wallpaper/IniFile.h"

#include <filesystem>

namespace orbiclock {

/// The settings file's one setting: section "Settings", key `MaxNumLocs`, the highest `IDX` shown.
class MainSettings {
public:
    explicit MainSettings(std::filesystem::path iniFile) : m_ini(std::move(iniFile)) {}

    /// `MaxNumLocs` as stored, 0 when the file or key is missing or the value is no integer.
    std::int32_t readMaxNumLocs() const { return m_ini.readInteger("Settings", "MaxNumLocs", 0); }

    /// Stores `MaxNumLocs`, creating the file when needed. Raises "Unable to write to <file>".
    void writeMaxNumLocs(std::int32_t value) const { m_ini.writeInteger("Settings", "MaxNumLocs", value); }

    const std::filesystem::path& path() const noexcept { return m_ini.path(); }

private:
    IniFile m_ini;
};

/// The start-up layout values that `LoadSettings` fixes from the screen width.
struct LoadedSettings {
    OverlaySize overlay;
};

/// LoadSettings: reads `MaxNumLocs`, replaces 0 by the screen band's default (the spinner's maximum on
/// screens at least 1600 wide), sets the spinner (which clamps) and returns the overlay size of the band.
LoadedSettings applyStartupSettings(const MainSettings& settings, std::int32_t screenWidth,
                                    CountSpinnerModel& spinner);

} // namespace orbiclock
