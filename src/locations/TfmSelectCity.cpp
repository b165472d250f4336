#include "locations/TfmSelectCity.h"

#include "locations/CityListModel.h"
#include "locations/CityListView.h"
#include "locations/CityQuery.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QShowEvent>

namespace orbiclock {

namespace {

enum FilterChoice : int { kNoFilter = 0, kByCity = 1, kByCountry = 2 };

/// Disables a window with the wait cursor over it for one rebuild and restores it, the cursor and
/// the keyboard focus on every path (disabling the window takes the focus from the text field the
/// user is typing in).
class BusyWindow {
public:
    explicit BusyWindow(QWidget& window) : m_window(window), m_focus(window.focusWidget()),
        m_hadCursor(window.testAttribute(Qt::WA_SetCursor)), m_cursor(window.cursor())
    {
        m_window.setEnabled(false);
        m_window.setCursor(Qt::WaitCursor);
    }
    ~BusyWindow()
    {
        m_window.setEnabled(true);
        if (m_hadCursor)
            m_window.setCursor(m_cursor);
        else
            m_window.unsetCursor();
        if (m_focus && m_focus->isEnabled())
            m_focus->setFocus(Qt::OtherFocusReason);
    }
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

private:
    QWidget& m_window;
    QPointer<QWidget> m_focus;
    bool m_hadCursor;
    QCursor m_cursor;
};

} // namespace

TfmSelectCity::TfmSelectCity(const std::filesystem::path& dataDir, QWidget* parent)
    : QDialog(parent), m_query(std::make_unique<CityQuery>(dataDir))
{
    setObjectName(QStringLiteral("fmSelectCity"));
    setWindowTitle(QStringLiteral("Select a City"));
    setFixedSize(537, 593);
    buildControls();

    m_filter = CityFilter{};
    m_query->open(QString::fromLatin1(kInitialFilterLine));
    m_cities->setRows(m_query->rows());
    applyGroupingLayout();
    m_grid->showCity(m_cities->firstCity());
    UpdateCityCount();
}

TfmSelectCity::~TfmSelectCity() = default;

void TfmSelectCity::applyGroupingLayout()
{
    // Group headers span the whole row, so their titles show in full.
    const CityGrouping grouping = m_cities->grouping();
    m_grid->setRootIsDecorated(grouping != CityGrouping::None);
    if (grouping == CityGrouping::None)
        return;
    for (int row = 0, groups = m_cities->rowCount(); row < groups; ++row)
        m_grid->setFirstColumnSpanned(row, QModelIndex(), true);
}

void TfmSelectCity::buildControls()
{
    m_rgSelByName = new QGroupBox(QStringLiteral(" Filter "), this);
    m_rgSelByName->setObjectName(QStringLiteral("rgSelByName"));
    m_rgSelByName->setGeometry(8, 6, 521, 54);

    // Three columns of 167 pixels; the text fields sit beside their entries.
    m_rbNoFilter = new QRadioButton(QStringLiteral("No filter"), m_rgSelByName);
    m_rbNoFilter->setGeometry(10, 22, 150, 22);
    m_rbCity = new QRadioButton(QStringLiteral("City"), m_rgSelByName);
    m_rbCity->setGeometry(177, 22, 70, 22);
    m_edSelCityByName = new QLineEdit(m_rgSelByName);
    m_edSelCityByName->setObjectName(QStringLiteral("edSelCityByName"));
    m_edSelCityByName->setGeometry(247, 21, 90, 24);
    m_rbCountry = new QRadioButton(QStringLiteral("Country"), m_rgSelByName);
    m_rbCountry->setGeometry(344, 22, 80, 22);
    m_edSelCityByCountry = new QLineEdit(m_rgSelByName);
    m_edSelCityByCountry->setObjectName(QStringLiteral("edSelCityByCountry"));
    m_edSelCityByCountry->setGeometry(424, 21, 90, 24);
    m_edSelCityByName->setEnabled(false);
    m_edSelCityByCountry->setEnabled(false);

    m_filterChoice = new QButtonGroup(this);
    m_filterChoice->addButton(m_rbNoFilter, kNoFilter);
    m_filterChoice->addButton(m_rbCity, kByCity);
    m_filterChoice->addButton(m_rbCountry, kByCountry);
    m_rbNoFilter->setChecked(true);

    m_gbListCities = new QGroupBox(this);
    m_gbListCities->setObjectName(QStringLiteral("gbListCities"));
    m_gbListCities->setGeometry(9, 62, 518, 497);

    auto* groupByLabel = new QLabel(QStringLiteral("Group by:"), m_gbListCities);
    groupByLabel->setGeometry(10, 20, 60, 22);
    m_cbGroupBy = new QComboBox(m_gbListCities);
    m_cbGroupBy->setObjectName(QStringLiteral("cbGroupBy"));
    m_cbGroupBy->addItems({QStringLiteral("(none)"), QStringLiteral("Country"), QStringLiteral("GMT")});
    m_cbGroupBy->setGeometry(72, 19, 130, 24);
    groupByLabel->setBuddy(m_cbGroupBy);

    m_cities = new CityListModel(this);
    m_grid = new CityListView(m_gbListCities);
    m_grid->setObjectName(QStringLiteral("cxGrid1"));
    m_grid->setGeometry(8, 48, 502, 441);
    m_grid->setModel(m_cities);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setAllColumnsShowFocus(true);
    m_grid->setUniformRowHeights(true);
    m_grid->setRootIsDecorated(false);
    m_grid->setSortingEnabled(false);
    QHeaderView* header = m_grid->header();
    header->setSectionsMovable(false);
    for (int hidden : {CityListModel::ColCountryId, CityListModel::ColCityId, CityListModel::ColZoneId,
                       CityListModel::ColZone})
        m_grid->setColumnHidden(hidden, true);
    m_grid->setColumnWidth(CityListModel::ColCountry, 125);
    m_grid->setColumnWidth(CityListModel::ColCityName, 128);
    m_grid->setColumnWidth(CityListModel::ColGmt, 60);
    m_grid->setColumnWidth(CityListModel::ColLat, 50);
    m_grid->setColumnWidth(CityListModel::ColLon, 50);
    // The population takes the rest of the grid's width.
    m_grid->setColumnWidth(CityListModel::ColPopulation, 60);
    header->setStretchLastSection(true);

    m_btnOK = new QPushButton(QStringLiteral("OK"), this);
    m_btnOK->setObjectName(QStringLiteral("btnOK"));
    m_btnOK->setGeometry(286, 564, 75, 25);
    m_btnOK->setDefault(true);
    m_btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_btnCancel->setGeometry(369, 564, 75, 25);
    m_dxButton1 = new QPushButton(QStringLiteral("Help"), this);
    m_dxButton1->setObjectName(QStringLiteral("dxButton1"));
    m_dxButton1->setGeometry(452, 564, 75, 25);

    connect(m_btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_dxButton1, &QPushButton::clicked, this, [this] { emit helpRequested(kHelpContext); });
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] { emit helpRequested(kHelpContext); });
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (m_cities->city(index) != nullptr)
            accept();
    });

    connect(m_filterChoice, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            rgSelByNameClick();
    });
    connect(m_edSelCityByName, &QLineEdit::textChanged, this, &TfmSelectCity::edFilterTextChange);
    connect(m_edSelCityByCountry, &QLineEdit::textChanged, this, &TfmSelectCity::edFilterTextChange);
    connect(m_cbGroupBy, &QComboBox::currentIndexChanged, this, &TfmSelectCity::setGrouping);
}

void TfmSelectCity::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_centred || parentWidget() == nullptr)
        return;
    // Centred on the main window, the top-level window of whoever opened the dialog.
    const QWidget* mainWindow = parentWidget()->window();
    QRect frame = frameGeometry();
    frame.moveCenter(mainWindow->frameGeometry().center());
    move(frame.topLeft());
    m_centred = true;
}

void TfmSelectCity::rgSelByNameClick()
{
    switch (m_filterChoice->checkedId()) {
    case kByCity:
        m_edSelCityByName->setEnabled(true);
        m_edSelCityByName->setFocus(Qt::OtherFocusReason);
        m_edSelCityByCountry->setEnabled(false);
        break;
    case kByCountry:
        m_edSelCityByCountry->setEnabled(true);
        m_edSelCityByCountry->setFocus(Qt::OtherFocusReason);
        m_edSelCityByName->setEnabled(false);
        break;
    default:
        m_edSelCityByName->setEnabled(false);
        m_edSelCityByCountry->setEnabled(false);
        break;
    }
    edFilterTextChange();
}

void TfmSelectCity::edFilterTextChange()
{
    const BusyWindow busy(*this);
    m_cities->setRows({});
    m_query->close();

    switch (m_filterChoice->checkedId()) {
    case kByCity:
        m_filter = CityFilter{QString::fromLatin1(kCityColumn), m_edSelCityByName->text()};
        break;
    case kByCountry:
        m_filter = CityFilter{QString::fromLatin1(kCountryColumn), m_edSelCityByCountry->text()};
        break;
    default:
        m_filter = CityFilter{};
        break;
    }
    if (m_filter.active())
        m_query->open(cityFilterLine(m_filter), cityMatchValue(m_filter));
    else
        m_query->open(QString());
    m_cities->setRows(m_query->rows());
    applyGroupingLayout();
    m_grid->showCity(m_cities->firstCity());
    UpdateCityCount();
}

void TfmSelectCity::UpdateCityCount()
{
    const QString tail = m_filter.text.isEmpty() ? QStringLiteral(" cities available ")
                                                 : QStringLiteral(" cities match the above filter ");
    m_gbListCities->setTitle(u' ' + QString::number(m_query->rows().size()) + tail);
}

void TfmSelectCity::setGrouping(int grouping)
{
    const CityRow* current = currentRow();
    const std::int32_t currentId = current != nullptr ? current->Id_1 : 0;
    const bool hadCurrent = current != nullptr;
    const auto mode = grouping == 1 ? CityGrouping::Country
                    : grouping == 2 ? CityGrouping::Offset
                                    : CityGrouping::None;
    if (m_cbGroupBy->currentIndex() != grouping) {
        const QSignalBlocker quiet(m_cbGroupBy);
        m_cbGroupBy->setCurrentIndex(grouping);
    }
    m_cities->setGrouping(mode);
    applyGroupingLayout();
    if (hadCurrent)
        positionOnCity(currentId);
    else
        m_grid->showCity(m_cities->firstCity());
}

bool TfmSelectCity::positionOnCity(std::int32_t cityId)
{
    const QModelIndex found =
        m_cities->findCity([cityId](const CityRow& row) { return row.Id_1 == cityId; });
    m_grid->showCity(found.isValid() ? found : m_cities->firstCity());
    return found.isValid();
}

const CityRow* TfmSelectCity::currentRow() const
{
    return m_cities->city(m_grid->currentIndex());
}

SelectedCity TfmSelectCity::currentCity() const
{
    const CityRow* row = currentRow();
    if (row == nullptr)
        return {};
    return SelectedCity{row->Id_1, row->Country_ID, row->Zone, row->F_Name, row->LocalName, row->Lat, row->Lon,
                        row->GMT, row->VraiOuFaux, row->N_ete, row->J_ete, row->M_ete, row->N_hiv, row->J_hiv,
                        row->M_hiv};
}

int TfmSelectCity::cityCount() const
{
    return static_cast<int>(m_query->rows().size());
}

QStringList TfmSelectCity::statement() const
{
    return m_query->statement();
}

} // namespace orbiclock
