#pragma once

#include "locations/LocationRow.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace orbiclock {

/// The user's list of places, the table `UserLocations` in an SQLite file of the data folder.
/// Opened in `IDX` order, optionally filtered to "IDX <= n"; rows are walked and overwritten, never
/// added or deleted. The file is never created: a missing or damaged database is an error.
/// The database is reached through the SQLite C API only, so the command-line modes read it without Qt.
class LocationStore final : public LocationCursor {
public:
    /// The database file name inside the data folder.
    static constexpr const char* kFileName = "UserLocations.db";

    LocationStore();
    ~LocationStore() override;
    LocationStore(const LocationStore&) = delete;
    LocationStore& operator=(const LocationStore&) = delete;

    /// The data folder; takes effect at the next open.
    void setDirectory(std::filesystem::path dataDir);
    const std::filesystem::path& directory() const noexcept { return m_dataDir; }

    /// The filter "IDX <= n" is applied when filtering is on. Takes effect at the next open.
    void setFilterMaxIdx(std::int32_t maxIdx) noexcept { m_filterMaxIdx = maxIdx; }
    void setFiltered(bool filtered) noexcept { m_filtered = filtered; }
    /// The filter expression as text, e.g. "IDX <= 30".
    std::string filterText() const;

    /// Reads the visible rows in `IDX` order; the current row is the first. Raises OrbiclockError when the
    /// database file or the table is missing or cannot be read.
    void open();
    void close() noexcept;
    bool isOpen() const noexcept { return m_open; }

    /// Number of visible rows. Raises on a closed table.
    std::int32_t recordCount() const;
    /// Zero-based position of the current row among the visible rows.
    std::int32_t recordNumber() const;
    /// Makes the visible row at `index` current (clamped into the visible rows).
    void moveTo(std::int32_t index);

    void first() override;
    void next() override;
    bool eof() const override;
    const LocationRow& current() const override;
    /// The visible rows in `IDX` order. Raises on a closed table.
    const std::vector<LocationRow>& rows() const;

    /// Overwrites the current row's fields with `row` (its `IDX` is kept) in one transaction: when the
    /// engine fails, the stored row and the current row stay as they were. `name_City` is cut to 75
    /// characters.
    void overwriteCurrent(const LocationRow& row);

private:
    void requireOpen() const;

    std::filesystem::path m_dataDir;
    std::int32_t m_filterMaxIdx = 0;
    bool m_filtered = false;
    bool m_open = false;
    std::vector<LocationRow> m_rows;
    std::size_t m_current = 0;
};

/// Cuts a name to at most 75 characters (characters, not bytes).
std::string cutCityName(const std::string& name);

} // namespace orbiclock
