#pragma once

#include "locations/CityListModel.h"

#include <QElapsedTimer>
#include <QString>
#include <QTreeView>

#include <vector>

namespace orbiclock {

/// The city grid: a tree view over a CityListModel whose incremental search works on the "City Name"
/// column whatever column is current. Keys typed in quick succession extend the search text; the
/// list jumps to the first city, in list order, whose name begins with it, ignoring case and accents.
class CityListView final : public QTreeView {
    Q_OBJECT

public:
    explicit CityListView(QWidget* parent = nullptr);

    /// Makes the first city whose name begins with `prefix` (case and accents ignored) the current
    /// row and returns true; returns false and leaves the current row when no name matches.
    bool jumpToName(const QString& prefix);
    /// The text the incremental search has collected so far.
    [[nodiscard]] const QString& searchText() const noexcept { return m_searchText; }

    /// Makes `index` the current row, opening its group and scrolling it into view.
    void showCity(const QModelIndex& index);

    void keyboardSearch(const QString& search) override;

private:
    QString m_searchText;
    QElapsedTimer m_lastKey;
};

} // namespace orbiclock
