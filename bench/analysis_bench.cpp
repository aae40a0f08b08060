// The analysis of a full transfer: 65,535 records of four sensors and positions (a cold
// room's week on the road, one record a minute), every sensor with its four alarm limits;
// and that of a year of the same logger at ten minutes, where the rolling MKT's windows
// are many.
#include <benchmark/benchmark.h>

#include <span>

#include "analysis/history_analysis.h"
#include "cold_room_history.h"
#include "short_run.h"

namespace {

using namespace lgcset;

// Air, coil and goods of a 2–8 °C room (a day's window for the MKT of air and goods, thirty
// days for the coil's); the outside air in °F, limits of a hot day.
analysis::SensorSetups ColdRoomSetups() {
    analysis::SensorSetups setups;
    setups[0].limits = {0.0f, 2.0f, 8.0f, 12.0f};
    setups[1].limits = {-20.0f, -12.0f, 10.0f, 15.0f};
    setups[2].limits = {0.0f, 2.0f, 8.0f, 12.0f};
    setups[3] = {analysis::SensorKind::Fahrenheit, {14.0f, 32.0f, 86.0f, 95.0f}};
    return setups;
}

void Analyze(benchmark::State& state, std::size_t full, int interval) {
    const std::size_t kRecords = bench::Records<std::size_t>(full);
    data::HistoryStore store;
    ui::test::FillColdRoomHistory(store, kRecords, interval);
    const analysis::SensorSetups setups = ColdRoomSetups();
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

void BM_AnalyzeFullTransfer(benchmark::State& state) {
    Analyze(state, 65535, 60);
}
BENCHMARK(BM_AnalyzeFullTransfer)->Unit(benchmark::kMillisecond);

// Excursions with their figures and the rolling MKT of 52,560 records (target: 50 ms).
void BM_AnalyzeYear(benchmark::State& state) {
    Analyze(state, 365 * 144, 600);
}
BENCHMARK(BM_AnalyzeYear)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
