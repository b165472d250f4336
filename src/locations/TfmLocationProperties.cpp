#include "locations/TfmLocationProperties.h"

#include "astro/CheckedMath.h"
#include "astro/MapProjection.h"
#include "locations/ButtonEdit.h"
#include "locations/CityQuery.h"
#include "locations/DecimalSpinBox.h"
#include "locations/HelpRouter.h"
#include "locations/TfmSelectCity.h"
#include "locations/WholeSpinBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QToolButton>
#include <QToolTip>

#include <memory>

namespace orbiclock {
namespace {

// Geometry of the client area: the location groups on the left, the preview on the right, the
// buttons along the bottom.
constexpr int kMargin = 8;
constexpr int kLeftWidth = 300;
constexpr int kPreviewGroupLeft = kMargin + kLeftWidth + kMargin;
constexpr int kPreviewGroupTop = 6;
constexpr int kPreviewInset = 5;        // the panel's distance from the group's left edge
constexpr int kPreviewTitleHeight = 22; // room for the group's title above the panel
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 8;
constexpr int kRowHeight = 24;

// The cross hairs: a horizontal and a vertical red line, one pixel wide, crossing at (250, 215).
constexpr QRect kHorizontalLine{1, 215, 500, 1};
constexpr QRect kVerticalLine{250, -32, 1, 500};

// The colour of the empty field shown when the reference map cannot be read.
constexpr QRgb kOceanBlue = 0xff3a6ea5;

const char* const kOccurrences[] = {"Last", "1st", "2nd", "3rd", "4th", "Second Last"};
const char* const kWeekdays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

QFont boldFont(QFont font)
{
    font.setBold(true);
    return font;
}

/// A bold group title leaves the group's contents in the normal weight.
void keepChildrenNormal(QGroupBox* group)
{
    QFont normal = group->font();
    normal.setBold(false);
    for (QWidget* child : group->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!child->testAttribute(Qt::WA_SetFont))
            child->setFont(normal);
}

QLabel* label(const QString& text, QWidget* parent, const QRect& geometry)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(geometry);
    return l;
}

QComboBox* list(const char* name, std::initializer_list<const char*> entries, QWidget* parent)
{
    auto* cb = new QComboBox(parent);
    cb->setObjectName(QString::fromLatin1(name));
    for (const char* e : entries)
        cb->addItem(QString::fromLatin1(e));
    cb->setMaxVisibleItems(cb->count());
    return cb;
}

template <std::size_t N>
QComboBox* list(const char* name, const char* const (&entries)[N], QWidget* parent)
{
    auto* cb = new QComboBox(parent);
    cb->setObjectName(QString::fromLatin1(name));
    for (const char* e : entries)
        cb->addItem(QString::fromLatin1(e));
    cb->setMaxVisibleItems(static_cast<int>(N)); // all twelve months when opened
    cb->setCurrentIndex(-1);
    return cb;
}

/// A red one-pixel line over the preview.
QFrame* crossHair(const char* name, const QRect& geometry, QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette p = line->palette();
    p.setColor(QPalette::Window, Qt::red);
    line->setPalette(p);
    line->setGeometry(geometry);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    return line;
}

} // namespace

/// Disables the dialog's controls for the lifetime of the scope. The dialog window itself stays
/// enabled: a dialog opened over a disabled widget would be disabled with it.
class TfmLocationProperties::ClientDisabled {
public:
    explicit ClientDisabled(TfmLocationProperties& dialog) : m_client(dialog.m_client) { m_client->setEnabled(false); }
    ~ClientDisabled() { m_client->setEnabled(true); }
    ClientDisabled(const ClientDisabled&) = delete;
    ClientDisabled& operator=(const ClientDisabled&) = delete;

private:
    QWidget* m_client;
};

TfmLocationProperties::TfmLocationProperties(const std::filesystem::path& appDir, QWidget* parent)
    : QDialog(parent), m_dataDir(appDir / "data")
{
    setObjectName(QStringLiteral("fmLocationProperties"));
    setWindowTitle(QStringLiteral("Location Properties"));
    setFixedSize(kClientWidth, kClientHeight);
    HelpRouter::setHelpContext(this, kHelpContext);

    buildControls();
    loadReferenceMap(appDir / "opt" / "world_reference.gif");
    updateCityButton();

    // FormCreate: the rule rows match the box from the start.
    chkHasSummerTimeRulesClick();
    spinHorChange();
}

TfmLocationProperties::~TfmLocationProperties() = default;

std::optional<LocationRow> TfmLocationProperties::editPlace(const std::filesystem::path& appDir, QWidget* parent,
                                                             const LocationRow& row)
{
    TfmLocationProperties dialog(appDir, parent);
    dialog.fillFromRow(row);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    LocationRow edited = row;
    dialog.writeIntoRow(edited);
    return edited;
}

void TfmLocationProperties::buildControls()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setGeometry(0, 0, kClientWidth, kClientHeight);

    QGroupBox* location = buildLocationGroup();
    location->setGeometry(kMargin, 6, kLeftWidth, 212);
    QGroupBox* adjustment = buildAdjustmentGroup();
    adjustment->setGeometry(kMargin, 222, kLeftWidth, 84);
    QGroupBox* rules = buildRulesGroup();
    rules->setGeometry(kMargin, 310, kLeftWidth, 160);
    QGroupBox* preview = buildPreviewGroup();
    const int previewGroupWidth = kClientWidth - kMargin - kPreviewGroupLeft;
    preview->setGeometry(kPreviewGroupLeft, kPreviewGroupTop, previewGroupWidth,
                         kPreviewTitleHeight + kPreviewHeight + kPreviewInset + 1);

    const int buttonTop = kClientHeight - kMargin - kButtonHeight - 1;
    const auto button = [this, buttonTop](const char* name, const QString& caption, int slotFromRight) {
        auto* b = new QPushButton(caption, m_client);
        b->setObjectName(QString::fromLatin1(name));
        const int right = kClientWidth - kMargin - slotFromRight * (kButtonWidth + kButtonGap);
        b->setGeometry(right - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
        return b;
    };
    m_btnOK = button("btnOK", QStringLiteral("OK"), 2);
    m_btnCancel = button("btnCancel", QStringLiteral("&Cancel"), 1);
    m_dxButton1 = button("dxButton1", QStringLiteral("Help"), 0);
    m_btnOK->setDefault(true);
    m_btnOK->setAutoDefault(true);

    connect(m_btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_dxButton1, &QPushButton::clicked, this,
            [this] { emit helpRequested(HelpRouter::helpContextFor(m_dxButton1)); });
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this, [this] {
        const QWidget* focus = QApplication::focusWidget();
        emit helpRequested(HelpRouter::helpContextFor(focus != nullptr && focus->window() == this ? focus : this));
    });
    connect(this, &TfmLocationProperties::helpRequested, this,
            [this](int context) { HelpRouter::requestHelp(this, context); });

    connect(m_btnEditCity, &ButtonEdit::buttonClicked, this, &TfmLocationProperties::btnEditCityButtonClick);
    for (WholeSpinBox* s : {m_spinDegLat, m_spinDegLong})
        connect(s, &WholeSpinBox::shownValueChanged, this, &TfmLocationProperties::spinDegLatChange);
    for (DecimalSpinBox* s : {m_spinMinutLat, m_spinMinutLong})
        connect(s, &DecimalSpinBox::shownValueChanged, this, &TfmLocationProperties::spinDegLatChange);
    for (QComboBox* cb : {m_cbSignLat, m_cbSignLong})
        connect(cb, &QComboBox::currentIndexChanged, this, &TfmLocationProperties::spinDegLatChange);
    for (WholeSpinBox* s : {m_spinHor, m_spinVert})
        connect(s, &QSpinBox::valueChanged, this, &TfmLocationProperties::spinHorChange);
    // Setting the box from code runs the handler too, so the rule rows always follow it.
    connect(m_chkHasSummerTimeRules, &QCheckBox::toggled, this, &TfmLocationProperties::chkHasSummerTimeRulesClick);
}

QGroupBox* TfmLocationProperties::buildLocationGroup()
{
    m_gbLocation = new QGroupBox(QStringLiteral(" Geographical Location"), m_client);
    m_gbLocation->setObjectName(QStringLiteral("gbLocation"));
    m_gbLocation->setFont(boldFont(font()));

    label(QStringLiteral("City"), m_gbLocation, {12, 24, 56, kRowHeight});
    m_btnEditCity = new ButtonEdit(m_gbLocation);
    m_btnEditCity->setObjectName(QStringLiteral("btnEditCity"));
    m_btnEditCity->setGeometry(70, 24, 218, kRowHeight);
    label(QStringLiteral("Country"), m_gbLocation, {12, 52, 56, kRowHeight});
    m_btnEditCountry = new ButtonEdit(m_gbLocation);
    m_btnEditCountry->setObjectName(QStringLiteral("btnEditCountry"));
    m_btnEditCountry->setGeometry(70, 52, 218, kRowHeight);
    m_btnEditCountry->setButtonVisible(false);

    auto* coordinates = new QGroupBox(QStringLiteral("Geographical Coordinates"), m_gbLocation);
    coordinates->setObjectName(QStringLiteral("gbCoordinates"));
    coordinates->setGeometry(8, 84, kLeftWidth - 16, 120);
    keepChildrenNormal(m_gbLocation);

    // Three rows: whole part, "d" or "h", minutes, "m", side.
    const auto row = [coordinates](int top, const QString& caption, const QString& unit, WholeSpinBox* whole,
                                   QWidget* minutes, QComboBox* side) {
        label(caption, coordinates, {10, top, 70, kRowHeight});
        whole->setParent(coordinates);
        whole->setGeometry(80, top, 56, kRowHeight);
        label(unit, coordinates, {139, top, 12, kRowHeight});
        minutes->setParent(coordinates);
        minutes->setGeometry(152, top, 66, kRowHeight);
        label(QStringLiteral("m"), coordinates, {221, top, 14, kRowHeight});
        side->setParent(coordinates);
        side->setGeometry(236, top, 40, kRowHeight);
    };
    const auto whole = [](const char* name, int maximum) {
        auto* s = new WholeSpinBox;
        s->setObjectName(QString::fromLatin1(name));
        s->setRange(0, maximum);
        return s;
    };
    const auto minutes = [] (const char* name) {
        auto* s = new DecimalSpinBox;
        s->setObjectName(QString::fromLatin1(name));
        s->setRange(0.0, 59.99);
        return s;
    };
    m_spinDegLat = whole("spinDegLat", 90);
    m_spinMinutLat = minutes("spinMinutLat");
    m_cbSignLat = list("cbSignLat", {"S", "N"}, nullptr);
    m_spinDegLong = whole("spinDegLong", 180);
    m_spinMinutLong = minutes("spinMinutLong");
    m_cbSignLong = list("cbSignLong", {"W", "E"}, nullptr);
    m_spinHrsGmt = whole("spinHrsGmt", 25);
    m_spinMinutGmt = whole("spinMinutGmt", 59);
    m_spinMinutGmt->setPageStep(15);
    m_cbSignGmt = list("cbSignGmt", {"W", "E"}, nullptr);
    row(22, QStringLiteral("Latitude"), QStringLiteral("d"), m_spinDegLat, m_spinMinutLat, m_cbSignLat);
    row(54, QStringLiteral("Longitude"), QStringLiteral("d"), m_spinDegLong, m_spinMinutLong, m_cbSignLong);
    row(86, QStringLiteral("GMT"), QStringLiteral("h"), m_spinHrsGmt, m_spinMinutGmt, m_cbSignGmt);
    for (QComboBox* side : {m_cbSignLat, m_cbSignLong, m_cbSignGmt})
        side->setCurrentIndex(kPositiveSide);
    return m_gbLocation;
}

QGroupBox* TfmLocationProperties::buildAdjustmentGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Position Adjustment"), m_client);
    group->setObjectName(QStringLiteral("gbPositionAdjustment"));
    const auto row = [group](int top, const QString& caption, const char* name) {
        label(caption, group, {12, top, 170, kRowHeight});
        auto* s = new WholeSpinBox(group);
        s->setObjectName(QString::fromLatin1(name));
        s->setRange(kMinMapPosition, kMaxMapPosition);
        s->setGeometry(196, top, 80, kRowHeight);
        return s;
    };
    m_spinHor = row(24, QStringLiteral("Horizontal adjustment"), "spinHor");
    m_spinVert = row(52, QStringLiteral("Vertical adjustment"), "spinVert");
    return group;
}

QGroupBox* TfmLocationProperties::buildRulesGroup()
{
    m_gbSummerTimeRules = new QGroupBox(QStringLiteral("Summer Time Rules"), m_client);
    m_gbSummerTimeRules->setObjectName(QStringLiteral("gbSummerTimeRules"));
    m_chkHasSummerTimeRules = new QCheckBox(QStringLiteral("Use Summer Time Rules"), m_gbSummerTimeRules);
    m_chkHasSummerTimeRules->setObjectName(QStringLiteral("chkHasSummerTimeRules"));
    m_chkHasSummerTimeRules->setGeometry(12, 22, 240, 22);

    // Each rule: its caption, then occurrence, weekday, "of" and month below it.
    const auto rule = [this](int top, const QString& caption, int first, const char* n, const char* j,
                             const char* m, int labelSlot) {
        m_ruleLabels[labelSlot] = label(caption, m_gbSummerTimeRules, {12, top, 200, 20});
        const int lists = top + 22;
        m_ruleLists[first] = list(n, kOccurrences, m_gbSummerTimeRules);
        m_ruleLists[first]->setGeometry(24, lists, 104, kRowHeight);
        m_ruleLists[first + 1] = list(j, kWeekdays, m_gbSummerTimeRules);
        m_ruleLists[first + 1]->setGeometry(132, lists, 62, kRowHeight);
        m_ruleLabels[labelSlot + 1] = label(QStringLiteral("of"), m_gbSummerTimeRules, {198, lists, 18, kRowHeight});
        m_ruleLists[first + 2] = list(m, kMonths, m_gbSummerTimeRules);
        m_ruleLists[first + 2]->setGeometry(218, lists, 66, kRowHeight);
    };
    rule(50, QStringLiteral("Starts (+1h) :"), kN_Summer, "cbN_Summer", "cbJ_Summer", "cbM_Summer", 0);
    rule(102, QStringLiteral("Ends (-1h) :"), kN_Winter, "cbN_Winter", "cbJ_Winter", "cbM_Winter", 2);
    return m_gbSummerTimeRules;
}

QGroupBox* TfmLocationProperties::buildPreviewGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Position Preview"), m_client);
    group->setObjectName(QStringLiteral("gbPositionPreview"));
    group->setFont(boldFont(font()));

    m_pnlImage = new QFrame(group);
    m_pnlImage->setObjectName(QStringLiteral("pnlImage"));
    m_pnlImage->setFrameShape(QFrame::NoFrame);
    m_pnlImage->setGeometry(kPreviewInset, kPreviewTitleHeight, kPreviewWidth, kPreviewHeight);
    // Child widgets are clipped to their parent, so the panel shows only its part of the map.
    m_imgWorld = new QLabel(m_pnlImage);
    m_imgWorld->setObjectName(QStringLiteral("imgWorld"));
    m_imgWorld->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lineHorizontal = crossHair("lineHorizontal", kHorizontalLine, m_pnlImage);
    m_lineVertical = crossHair("lineVertical", kVerticalLine, m_pnlImage);
    keepChildrenNormal(group);
    return group;
}

void TfmLocationProperties::loadReferenceMap(const std::filesystem::path& file)
{
    QPixmap map;
    m_mapLoaded = map.load(QString::fromStdString(file.string()));
    if (!m_mapLoaded) {
        map = QPixmap(kReferenceMapWidth, kReferenceMapHeight);
        map.fill(QColor::fromRgb(kOceanBlue));
    }
    m_imgWorld->setPixmap(map);
    m_imgWorld->resize(map.size());
    m_lineHorizontal->raise();
    m_lineVertical->raise();
}

bool TfmLocationProperties::cityDatabaseAvailable() const
{
    std::error_code ec;
    return std::filesystem::is_regular_file(m_dataDir / CityQuery::kFileName, ec);
}

void TfmLocationProperties::updateCityButton()
{
    QToolButton* button = m_btnEditCity->button();
    m_btnEditCity->setHint(QString::fromLatin1(kCityHint));
    if (cityDatabaseAvailable()) {
        button->setEnabled(true);
        return;
    }
    button->setEnabled(false);
    button->setToolTip(QString::fromLatin1(kCityDatabaseMissing));
    button->setStatusTip(QString::fromLatin1(kCityDatabaseMissing));
}

void TfmLocationProperties::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_centred || parentWidget() == nullptr)
        return;
    // Centred on the main window, the top-level window of whoever opened the dialog.
    QRect frame = frameGeometry();
    frame.moveCenter(parentWidget()->window()->frameGeometry().center());
    move(frame.topLeft());
    m_centred = true;
}

void TfmLocationProperties::showSplit(const SplitValue& parts, QComboBox* side, WholeSpinBox* whole,
                                      QWidget* minutes)
{
    side->setCurrentIndex(parts.side);
    whole->setValue(parts.whole);
    if (auto* decimal = qobject_cast<DecimalSpinBox*>(minutes))
        decimal->setValue(parts.minutes);
    else if (auto* integer = qobject_cast<WholeSpinBox*>(minutes))
        integer->setValue(roundHalfEvenToInt32(parts.minutes));
}

void TfmLocationProperties::showMapPosition(MapPoint position)
{
    m_spinHor->setValue(position.x);
    m_spinVert->setValue(position.y);
    spinHorChange();
}

void TfmLocationProperties::setChecked(bool checked)
{
    m_chkHasSummerTimeRules->setChecked(checked);
    chkHasSummerTimeRulesClick();
}

void TfmLocationProperties::fillFromRow(const LocationRow& row)
{
    const LocationPropertiesValues v = valuesFromRow(row);
    m_btnEditCity->setText(QString::fromStdString(v.cityName));
    m_btnEditCity->setTag(v.cityTag);
    m_btnEditCountry->setText(QString::fromStdString(v.countryName));
    m_btnEditCountry->setTag(v.countryTag);
    m_zoneTag = v.zoneTag;
    showSplit(v.latitude, m_cbSignLat, m_spinDegLat, m_spinMinutLat);
    showSplit(v.longitude, m_cbSignLong, m_spinDegLong, m_spinMinutLong);
    showSplit(v.offset, m_cbSignGmt, m_spinHrsGmt, m_spinMinutGmt);
    // After the coordinates, so the stored position wins over the one their changes computed.
    showMapPosition(v.position);
    setChecked(v.usesSummerTime);
    for (int i = 0; i < kRuleListCount; ++i)
        m_ruleLists[i]->setCurrentIndex(v.rules[i]);
}

LocationPropertiesValues TfmLocationProperties::shownValues() const
{
    LocationPropertiesValues v;
    v.cityTag = m_btnEditCity->tag();
    v.cityName = m_btnEditCity->text().toStdString();
    v.countryTag = m_btnEditCountry->tag();
    v.countryName = m_btnEditCountry->text().toStdString();
    v.zoneTag = m_zoneTag;
    v.latitude = {m_cbSignLat->currentIndex(), m_spinDegLat->shownValue(), m_spinMinutLat->shownValue()};
    v.longitude = {m_cbSignLong->currentIndex(), m_spinDegLong->shownValue(), m_spinMinutLong->shownValue()};
    v.offset = {m_cbSignGmt->currentIndex(), m_spinHrsGmt->shownValue(),
                static_cast<double>(m_spinMinutGmt->shownValue())};
    v.position = {m_spinHor->value(), m_spinVert->value()};
    v.usesSummerTime = m_chkHasSummerTimeRules->isChecked();
    for (int i = 0; i < kRuleListCount; ++i)
        v.rules[i] = m_ruleLists[i]->currentIndex();
    return v;
}

void TfmLocationProperties::writeIntoRow(LocationRow& row) const
{
    writeValuesIntoRow(shownValues(), row);
}

void TfmLocationProperties::takeCityOver(const SelectedCity& city)
{
    m_btnEditCity->setText(city.F_Name);
    m_btnEditCity->setTag(city.Id);
    m_btnEditCountry->setText(city.LocalName);
    m_btnEditCountry->setTag(city.Country_ID);
    m_zoneTag = city.Zone;
    showSplit(splitIntoMinutes(city.Lat), m_cbSignLat, m_spinDegLat, m_spinMinutLat);
    showSplit(splitIntoMinutes(city.Lon), m_cbSignLong, m_spinDegLong, m_spinMinutLong);
    showSplit(splitIntoMinutes(city.GMT), m_cbSignGmt, m_spinHrsGmt, m_spinMinutGmt);
    setChecked(city.UsesSummerTime);
    // The database counts weekdays and months from 1, the lists from 0.
    const std::array<std::int32_t, kRuleListCount> positions{
        city.N_ete, checkedSub(city.J_ete, 1), checkedSub(city.M_ete, 1),
        city.N_hiv, checkedSub(city.J_hiv, 1), checkedSub(city.M_hiv, 1)};
    for (int i = 0; i < kRuleListCount; ++i)
        m_ruleLists[i]->setCurrentIndex(rulePosition(positions[i], kRuleListEntries[i]));
    // From the exact coordinates, not from the whole minutes the spinners show.
    showMapPosition(mapPositionOf(city.Lat, city.Lon));
}

void TfmLocationProperties::btnEditCityButtonClick()
{
    if (!cityDatabaseAvailable()) {
        updateCityButton();
        QToolTip::showText(m_btnEditCity->mapToGlobal(m_btnEditCity->rect().bottomRight()),
                           QString::fromLatin1(kCityDatabaseMissing), m_btnEditCity);
        return;
    }
    const ClientDisabled disabled(*this);
    // Declared after the scope above, so it is freed before the dialog is enabled again.
    const auto selection = std::make_unique<TfmSelectCity>(m_dataDir, this);
    connect(selection.get(), &TfmSelectCity::helpRequested, selection.get(),
            [origin = selection.get()](int context) { HelpRouter::requestHelp(origin, context); });
    const std::int32_t tag = m_btnEditCity->tag();
    selection->positionOnCity(tag < 1 ? kDefaultCityId : tag);
    if (selection->exec() == QDialog::Accepted)
        takeCityOver(selection->currentCity());
}

void TfmLocationProperties::chkHasSummerTimeRulesClick()
{
    const bool visible = m_chkHasSummerTimeRules->isChecked();
    for (QComboBox* cb : m_ruleLists)
        cb->setVisible(visible);
    for (QLabel* l : m_ruleLabels)
        l->setVisible(visible);
}

void TfmLocationProperties::spinDegLatChange()
{
    const double latitude = joinCoordinate(
        {m_cbSignLat->currentIndex(), m_spinDegLat->shownValue(), m_spinMinutLat->shownValue()});
    const double longitude = joinCoordinate(
        {m_cbSignLong->currentIndex(), m_spinDegLong->shownValue(), m_spinMinutLong->shownValue()});
    showMapPosition(mapPositionOf(latitude, longitude));
}

void TfmLocationProperties::spinHorChange()
{
    const MapPoint origin = previewOrigin(m_pnlImage->width(), m_pnlImage->height(),
                                          {m_spinHor->value(), m_spinVert->value()});
    m_imgWorld->move(origin.x, origin.y);
}

} // namespace orbiclock
