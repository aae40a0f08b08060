// The analysis of a full transfer: 65,535 records of four sensors and positions (a cold
// room's week on the road, one record a minute), every sensor with its four alarm limits.
#include <benchmark/benchmark.h>

#include <span>

#include "analysis/history_analysis.h"
#include "cold_room_history.h"
#include "short_run.h"

namespace {

using namespace lgcset;

void BM_AnalyzeFullTransfer(benchmark::State& state) {
    const std::size_t kRecords = bench::Records<std::size_t>(65535);
    data::HistoryStore store;
    ui::test::FillColdRoomHistory(store, kRecords, 60);
    analysis::SensorSetups setups;
    // Air, coil and goods of a 2–8 °C room; the outside air in °F, limits of a hot day.
    setups[0].limits = {0.0f, 2.0f, 8.0f, 12.0f};
    setups[1].limits = {-20.0f, -12.0f, 10.0f, 15.0f};
    setups[2].limits = {0.0f, 2.0f, 8.0f, 12.0f};
    setups[3] = {analysis::SensorKind::Fahrenheit, {14.0f, 32.0f, 86.0f, 95.0f}};
    const std::span<const data::HistoryRecord> records(store.data(), kRecords);
    std::size_t excursions = 0;
    for (auto _ : state) {
        const analysis::HistoryAnalysis result = analysis::AnalyzeHistory(records, setups);
        excursions = 0;
        for (const auto& sensor : result.sensors) excursions += sensor.excursions.size();
        benchmark::DoNotOptimize(excursions);
    }
    state.counters["excursions"] = static_cast<double>(excursions);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kRecords));
}
BENCHMARK(BM_AnalyzeFullTransfer)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
