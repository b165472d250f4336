#include "locations/TdlgMain.h"

#include "astro/Clock.h"
#include "astro/OrbiclockError.h"
#include "locations/HelpRouter.h"
#include "locations/LocationTableModel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>

#include <limits>

namespace orbiclock {
namespace {

constexpr int kClientWidth = 629;
constexpr int kClientHeight = 624;
constexpr int kGridLeft = 16;
constexpr int kGridTop = 30;
constexpr int kGridWidth = 596;
constexpr int kGridHeight = 546;
// The width a column gets when it has none of its own.
constexpr int kDefaultColumnWidth = 64;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 6;
constexpr int kBottomRowTop = kGridTop + kGridHeight + 11;

QLabel* boldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

/// Marks an update or an edit as running, so that closing the window waits for it.
class TdlgMain::BusyScope {
public:
    explicit BusyScope(TdlgMain& window) : m_window(window) { ++m_window.m_busy; }
    ~BusyScope() { --m_window.m_busy; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    TdlgMain& m_window;
};

/// Disables the window's controls for the lifetime of the scope. The window itself stays enabled:
/// a dialog parented to a disabled widget would be disabled with it.
class TdlgMain::ControlsDisabled {
public:
    explicit ControlsDisabled(TdlgMain& window) : m_client(window.m_client) { m_client->setEnabled(false); }
    ~ControlsDisabled() { m_client->setEnabled(true); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    QWidget* m_client;
};

TdlgMain::TdlgMain(MainWindowServices services, QWidget* parent)
    : QDialog(parent),
      m_controller(std::move(services), static_cast<UpdateHost&>(*this))
{
    setObjectName(QStringLiteral("dlgMain"));
    setWindowTitle(QStringLiteral("Orbiclock Settings"));
    // A fixed border with the system menu and the close box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);

    m_helpRouter = new HelpRouter(this);
    HelpRouter::setHelpContext(this, kHelpContext);
    HelpRouter::attachF1(this);

    buildControls();
}

TdlgMain::~TdlgMain()
{
    FormDestroy();
}

void TdlgMain::buildControls()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setGeometry(0, 0, kClientWidth, kClientHeight);

    auto* notice = boldLabel(QString::fromLatin1(kNotice), m_client);
    notice->setObjectName(QStringLiteral("lblNotice"));
    QPalette highlighted = notice->palette();
    highlighted.setColor(QPalette::WindowText, palette().color(QPalette::Highlight));
    notice->setPalette(highlighted);
    notice->setGeometry(kGridLeft, 7, 380, 18);

    auto* link = new QLabel(m_client);
    link->setObjectName(QStringLiteral("lblWebLink"));
    link->setTextFormat(Qt::RichText);
    link->setText(QStringLiteral("<a href=\"%1\">Orbiclock on the web</a>").arg(QString::fromLatin1(kHomePage)));
    link->setToolTip(QString::fromLatin1(kHomePage));
    link->setOpenExternalLinks(true);
    link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    link->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    link->setGeometry(kGridLeft + kGridWidth - 200, 7, 200, 18);

    m_locations = new LocationTableModel(this);
    m_dsLocations = new QSortFilterProxyModel(this);
    m_dsLocations->setObjectName(QStringLiteral("dsLocations"));
    m_dsLocations->setSourceModel(m_locations);
    m_dsLocations->setSortRole(LocationTableModel::kSortRole);
    m_dsLocations->setDynamicSortFilter(true);

    m_cxGrid1 = new QTableView(m_client);
    m_cxGrid1->setObjectName(QStringLiteral("cxGrid1"));
    m_cxGrid1->setGeometry(kGridLeft, kGridTop, kGridWidth, kGridHeight);
    m_cxGrid1->setModel(m_dsLocations);
    m_cxGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_cxGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_cxGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_cxGrid1->setAlternatingRowColors(true);
    m_cxGrid1->setWordWrap(false);
    m_cxGrid1->setFrameShape(QFrame::StyledPanel);
    m_cxGrid1->verticalHeader()->hide();
    m_cxGrid1->verticalHeader()->setDefaultSectionSize(m_cxGrid1->fontMetrics().height() + 6);
    m_cxGrid1->horizontalHeader()->setSectionsMovable(false);
    m_cxGrid1->horizontalHeader()->setHighlightSections(false);
    m_cxGrid1->horizontalHeader()->setStretchLastSection(false);
    m_cxGrid1->setItemDelegateForColumn(static_cast<int>(LocationColumn::UsesSummerTime),
                                        new CheckMarkDelegate(m_cxGrid1));
    for (int c = 0; c < static_cast<int>(LocationColumn::Count); ++c) {
        const int width = LocationTableModel::columnWidth(static_cast<LocationColumn>(c));
        m_cxGrid1->setColumnWidth(c, width != 0 ? width : kDefaultColumnWidth);
    }
    // The list is always shown west to east; the table underneath stays in IDX order. (A sort arrow
    // would not leave room for "Longitude" in its 70 pixels, so the headers do not re-sort.)
    m_dsLocations->sort(static_cast<int>(LocationColumn::Longitude), Qt::AscendingOrder);
    m_cxGrid1->horizontalHeader()->setSortIndicatorShown(false);
    m_cxGrid1->horizontalHeader()->setSectionsClickable(false);
    connect(m_cxGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { gridRowChanged(current); });
    m_cxGrid1->viewport()->installEventFilter(this);

    // The bottom row: "Display" [n] "cities" on the left, the buttons on the right.
    auto* display = boldLabel(QStringLiteral("Display"), m_client);
    display->setObjectName(QStringLiteral("lblDisplay"));
    const int rowMiddle = kBottomRowTop + kButtonHeight / 2;
    const int labelHeight = display->sizeHint().height();
    display->setGeometry(kGridLeft, rowMiddle - labelHeight / 2, display->sizeHint().width(), labelHeight);

    m_spinNumCities = new QSpinBox(m_client);
    m_spinNumCities->setObjectName(QStringLiteral("spinNumCities"));
    m_spinNumCities->setKeyboardTracking(false);
    m_spinNumCities->setAlignment(Qt::AlignRight);
    const int spinHeight = m_spinNumCities->sizeHint().height();
    m_spinNumCities->setGeometry(display->geometry().right() + 1 + kButtonGap, rowMiddle - spinHeight / 2, 64,
                                 spinHeight);
    connect(m_spinNumCities, &QSpinBox::valueChanged, this, [this](int value) { setVisibleCount(value); });

    auto* cities = boldLabel(QStringLiteral("cities"), m_client);
    cities->setObjectName(QStringLiteral("lblCities"));
    cities->setGeometry(m_spinNumCities->geometry().right() + 1 + kButtonGap, rowMiddle - labelHeight / 2,
                        cities->sizeHint().width(), labelHeight);

    const auto button = [this](const char* name, const QString& caption, int slot) {
        auto* b = new QPushButton(caption, m_client);
        b->setObjectName(QString::fromLatin1(name));
        const int right = kGridLeft + kGridWidth - slot * (kButtonWidth + kButtonGap);
        b->setGeometry(right - kButtonWidth, kBottomRowTop, kButtonWidth, kButtonHeight);
        return b;
    };
    m_btnModify = button("btnModify", QStringLiteral("Modify"), 3);
    m_btnUpdate = button("btnUpdate", QStringLiteral("Update"), 2);
    m_btnHelp = button("btnHelp", QStringLiteral("Help"), 1);
    m_btnExit = button("btnExit", QStringLiteral("Exit"), 0);
    m_btnModify->setToolTip(QStringLiteral("Modify the currently selected city"));
    m_btnUpdate->setToolTip(QStringLiteral("Update your desktop wallpaper"));
    connect(m_btnModify, &QPushButton::clicked, this, &TdlgMain::btnModifyClick);
    connect(m_btnUpdate, &QPushButton::clicked, this, &TdlgMain::btnUpdateClick);
    connect(m_btnHelp, &QPushButton::clicked, this, &TdlgMain::btnHelpClick);
    connect(m_btnExit, &QPushButton::clicked, this, &TdlgMain::btnExitClick);

    // The status panel floats over the middle of the grid, above everything else.
    m_pnlStatus = new QLabel(this);
    m_pnlStatus->setObjectName(QStringLiteral("pnlStatus"));
    m_pnlStatus->setGeometry(222, 297, 185, 29);
    m_pnlStatus->setAlignment(Qt::AlignCenter);
    const QPalette& p = palette();
    // The text colour is set for every state: the update disables the window while it shows it.
    m_pnlStatus->setStyleSheet(QStringLiteral("QLabel#pnlStatus { background-color: %1; color: %2; "
                                              "border: 2px solid %3; border-radius: 8px; }")
                                   .arg(p.color(QPalette::ToolTipBase).name(), p.color(QPalette::ToolTipText).name(),
                                        p.color(QPalette::Highlight).name()));
    m_pnlStatus->hide();

    syncSpinnerControl();
}

void TdlgMain::FormCreate()
{
    // Whatever step fails, the visible spinner and the grid show the state that was reached.
    struct ShowReachedState {
        TdlgMain& window;
        ~ShowReachedState()
        {
            window.syncSpinnerControl();
            window.refreshGrid();
        }
    } showReachedState{*this};

    m_helpFile = withExtension(m_controller.services().executablePath, ".help");
    m_helpRouter->setHelpFile(m_helpFile);
    m_spinnerHandlerAttached = false;
    m_controller.prepareTable();
    m_spinnerHandlerAttached = true;
    m_controller.openVisibleRows();
}

bool TdlgMain::FormClose()
{
    switch (m_controller.FormClose()) {
    case CloseDecision::Close: return true;
    case CloseDecision::UpdateThenClose: btnUpdateClick(); return true;
    case CloseDecision::StayOpen: return false;
    }
    return false;
}

void TdlgMain::FormDestroy() noexcept
{
    m_controller.tblLocations().close();
}

void TdlgMain::setVisibleCount(std::int32_t value)
{
    const std::int32_t before = m_controller.spinNumCities().value();
    m_controller.spinNumCities().setValue(value);
    syncSpinnerControl();
    if (m_spinnerHandlerAttached && m_controller.spinNumCities().value() != before)
        spinNumCitiesChange();
}

void TdlgMain::spinNumCitiesChange()
{
    clearStatusNote();
    m_controller.tblLocations().close();
    refreshGrid(); // a closed table shows no rows, also when reopening fails
    m_controller.openVisibleRows();
    refreshGrid();
}

void TdlgMain::syncSpinnerControl()
{
    if (m_spinNumCities == nullptr)
        return;
    const QSignalBlocker quiet(m_spinNumCities);
    // With equal bounds the model takes any value, so the control must not clamp either.
    if (m_controller.spinNumCities().minimum() == m_controller.spinNumCities().maximum())
        m_spinNumCities->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    else
        m_spinNumCities->setRange(m_controller.spinNumCities().minimum(), m_controller.spinNumCities().maximum());
    m_spinNumCities->setValue(m_controller.spinNumCities().value());
}

void TdlgMain::refreshGrid()
{
    m_locations->setRows(m_controller.tblLocations().isOpen() ? m_controller.tblLocations().rows() : std::vector<LocationRow>{});
    selectCurrentRowInGrid();
}

void TdlgMain::selectCurrentRowInGrid()
{
    if (m_cxGrid1 == nullptr || !m_controller.tblLocations().isOpen() || m_controller.tblLocations().recordCount() == 0)
        return;
    const QModelIndex current = m_dsLocations->mapFromSource(m_locations->index(m_controller.tblLocations().recordNumber(), 0));
    m_cxGrid1->selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
    m_cxGrid1->scrollTo(current);
}

void TdlgMain::gridRowChanged(const QModelIndex& current)
{
    clearStatusNote();
    if (!current.isValid() || !m_controller.tblLocations().isOpen())
        return;
    m_controller.tblLocations().moveTo(m_dsLocations->mapToSource(current).row());
}

void TdlgMain::btnModifyClick()
{
    clearStatusNote();
    const BusyScope busy(*this);
    const ControlsDisabled disabled(*this);
    if (!m_controller.services().editPlace) {
        showStatusNote(QString::fromLatin1(kEditingUnavailable));
        return;
    }
    const LocationRow row = m_controller.tblLocations().current();
    const std::optional<LocationRow> edited = m_controller.services().editPlace(this, row);
    if (!edited)
        return;
    m_controller.tblLocations().overwriteCurrent(*edited);
    m_controller.setLocationsChanged(true);
    m_locations->updateRow(m_controller.tblLocations().recordNumber(), m_controller.tblLocations().current());
}

void TdlgMain::cxGrid1DblClick()
{
    m_btnModify->click();
}

void TdlgMain::btnHelpClick()
{
    clearStatusNote();
    m_helpRouter->HelpRouterHelp(kHelpContext);
}

void TdlgMain::btnExitClick()
{
    close();
}

void TdlgMain::btnUpdateClick()
{
    clearStatusNote();
    const BusyScope busy(*this);
    // The update walks the table and leaves it elsewhere; the grid shows where, on every way out, so that
    // Modify edits the row the grid shows.
    struct FollowCurrentRow {
        TdlgMain& window;
        ~FollowCurrentRow()
        {
            try {
                window.selectCurrentRowInGrid();
            } catch (...) {
                // Only the selection's display is lost; the update's own error must not be replaced.
            }
        }
    } followCurrentRow{*this};
    m_controller.btnUpdateClick();
}

LocationOffset TdlgMain::ComputeLocationOffset(const TLocationRec& a, const TLocationRec& b) const
{
    return m_controller.ComputeLocationOffset(a, b);
}

void TdlgMain::SetActiveDesktopWallpaper(const std::string& path)
{
    m_controller.SetActiveDesktopWallpaper(path);
}

void TdlgMain::RemoveWallpaper()
{
    m_controller.RemoveWallpaper();
}

void TdlgMain::ImportSystemTimeZone()
{
    m_controller.ImportSystemTimeZone();
}

void TdlgMain::destroyPlaceGrid()
{
    delete m_cxGrid1;
    m_cxGrid1 = nullptr;
}

void TdlgMain::closeEvent(QCloseEvent* event)
{
    // An update or an edit in progress finishes first; the window is disabled meanwhile anyway.
    if (m_busy > 0) {
        event->ignore();
        return;
    }
    try {
        if (FormClose()) {
            event->accept();
            m_helpRouter->closeHelpWindow();
        } else {
            event->ignore();
        }
    } catch (...) {
        event->ignore();
        if (m_controller.services().reportError)
            m_controller.services().reportError(std::current_exception());
    }
}

void TdlgMain::showEvent(QShowEvent* event)
{
    if (!m_centred) {
        m_centred = true;
        if (const QScreen* s = screen()) {
            const QRect area = s->availableGeometry();
            const QSize outer = frameGeometry().size();
            move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
        }
    }
    QDialog::showEvent(event);
}

bool TdlgMain::eventFilter(QObject* watched, QEvent* event)
{
    if (m_cxGrid1 != nullptr && watched == m_cxGrid1->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        cxGrid1DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TdlgMain::showStatusNote(const QString& text)
{
    m_pnlStatus->setText(text);
    m_pnlStatus->show();
    m_pnlStatus->raise();
    m_statusNoteShown = true;
}

void TdlgMain::clearStatusNote()
{
    if (!m_statusNoteShown)
        return;
    m_statusNoteShown = false;
    m_pnlStatus->hide();
    m_pnlStatus->clear();
}

void TdlgMain::setWindowEnabled(bool enabled)
{
    setEnabled(enabled);
}

void TdlgMain::setStatusText(const std::string& text)
{
    m_pnlStatus->setText(QString::fromStdString(text));
    if (m_controller.services().statusEcho && !text.empty())
        m_controller.services().statusEcho(text);
}

void TdlgMain::setStatusVisible(bool visible)
{
    m_pnlStatus->setVisible(visible);
    if (visible)
        m_pnlStatus->raise();
}

void TdlgMain::processMessages()
{
    QApplication::processEvents();
}

} // namespace orbiclock
