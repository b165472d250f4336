// One keystroke in the city selection's filter fields re-runs the whole joined statement over the
// city database and refills the list; it has to stay well under 50 ms.
#include "locations/CityQuery.h"
#include "locations/CityFilter.h"
#include "locations/TfmSelectCity.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>

#include <filesystem>

namespace {

const std::filesystem::path kDataDir = std::filesystem::path(ORBICLOCK_APP_DIR) / "data";

QRadioButton* filterEntry(orbiclock::TfmSelectCity& dialog, const char* text)
{
    for (QRadioButton* b : dialog.findChildren<QRadioButton*>())
        if (b->text() == QLatin1String(text))
            return b;
    return nullptr;
}

/// Typing a city name letter by letter, then deleting it again: every step is one rebuild.
void BM_CityKeystroke(benchmark::State& state)
{
    orbiclock::TfmSelectCity dialog(kDataDir);
    filterEntry(dialog, "City")->click();
    auto* edit = dialog.findChild<QLineEdit*>("edSelCityByName");
    const QStringList steps = {"s", "sa", "san", "san ", "san j", "san ", "san", "sa", "s"};
    qsizetype i = 0;
    for (auto _ : state) {
        edit->setText(steps[i]);
        i = (i + 1) % steps.size();
    }
    state.counters["rows"] = dialog.cityCount();
}
BENCHMARK(BM_CityKeystroke)->Unit(benchmark::kMillisecond);

/// The worst keystroke: a text that matches every city ("*"), so all ~23,500 rows are read and listed.
void BM_KeystrokeListingEveryCity(benchmark::State& state)
{
    orbiclock::TfmSelectCity dialog(kDataDir);
    filterEntry(dialog, "City")->click();
    auto* edit = dialog.findChild<QLineEdit*>("edSelCityByName");
    bool star = false;
    for (auto _ : state) {
        edit->setText(star ? QStringLiteral("*") : QStringLiteral("**"));
        star = !star;
    }
    state.counters["rows"] = dialog.cityCount();
}
BENCHMARK(BM_KeystrokeListingEveryCity)->Unit(benchmark::kMillisecond);

/// A country filter ("Country" with "United"): the join filtered on the country's name keys.
void BM_CountryKeystroke(benchmark::State& state)
{
    orbiclock::TfmSelectCity dialog(kDataDir);
    filterEntry(dialog, "Country")->click();
    auto* edit = dialog.findChild<QLineEdit*>("edSelCityByCountry");
    bool longer = false;
    for (auto _ : state) {
        edit->setText(longer ? QStringLiteral("United") : QStringLiteral("Unite"));
        longer = !longer;
    }
    state.counters["rows"] = dialog.cityCount();
}
BENCHMARK(BM_CountryKeystroke)->Unit(benchmark::kMillisecond);

/// The statement alone, every city, without the list: what the engine and the driver cost.
void BM_StatementEveryCity(benchmark::State& state)
{
    orbiclock::CityQuery query(kDataDir);
    for (auto _ : state) {
        query.open(QString());
        benchmark::DoNotOptimize(query.rows().size());
    }
    state.counters["rows"] = static_cast<double>(query.rows().size());
}
BENCHMARK(BM_StatementEveryCity)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
