#include "locations/CityListView.h"

#include "locations/SearchFold.h"

#include <QApplication>

namespace orbiclock {

CityListView::CityListView(QWidget* parent) : QTreeView(parent) {}

bool CityListView::jumpToName(const QString& prefix)
{
    auto* cities = qobject_cast<CityListModel*>(model());
    if (cities == nullptr)
        return false;
    const QString key = foldForSearch(prefix);
    const QModelIndex found = cities->findCityByName(
        key, currentIndex().isValid() ? currentIndex().column() : int{CityListModel::ColCityName});
    if (!found.isValid())
        return false;
    showCity(found);
    return true;
}

void CityListView::showCity(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    if (index.parent().isValid())
        expand(index.parent());
    setCurrentIndex(index);
    scrollTo(index);
}

void CityListView::keyboardSearch(const QString& search)
{
    if (search.isEmpty())
        return;
    if (!m_lastKey.isValid() || m_lastKey.elapsed() > QApplication::keyboardInputInterval())
        m_searchText.clear();
    m_lastKey.start();
    const QString extended = m_searchText + search;
    if (jumpToName(extended))
        m_searchText = extended;
}

} // namespace orbiclock
