#include "analysis/history_analysis.h"

#include <cmath>

#include "analysis/mean_kinetic_temperature.h"
#include "data/history_chart_data.h"

namespace lgcset::analysis {
namespace {

// One sensor's statistics as its readings arrive in time order.
class SensorAccumulator {
  public:
    SensorAccumulator(int sensor, const SensorSetup& setup) : excursions_(sensor, setup) {
        stats_.sensor = sensor;
        stats_.kind = setup.kind;
        stats_.limits = setup.limits;
    }

    void Add(double time, double value) {
        if (stats_.count == 0 || value < stats_.min) {
            stats_.min = value;
            stats_.minTime = time;
        }
        if (stats_.count == 0 || value > stats_.max) {
            stats_.max = value;
            stats_.maxTime = time;
        }
        ++stats_.count;
        sum_ += value;
        switch (stats_.kind) {
            case SensorKind::Celsius:
                AddCelsius(time, value);
                break;
            case SensorKind::Fahrenheit:
                AddCelsius(time, CelsiusFromFahrenheit(value));
                break;
            case SensorKind::Analog:
                break;
        }
        excursions_.Add(time, value);
    }

    void AddNotANumber() { ++stats_.notNumbers; }

    void Reserve(std::size_t readings) {
        if (stats_.kind != SensorKind::Analog)
            celsius_.reserve(readings);
    }

    bool HasReadings() const { return stats_.count > 0; }

    SensorStatistics Finish() {
        excursions_.Finish(stats_.excursions, stats_.excursionSummaries);
        for (const Excursion& e : stats_.excursions)
            stats_.secondsBeyond[LimitIndex(e.kind)] += e.seconds;
        stats_.mean = sum_ / static_cast<double>(stats_.count);
        const auto mkt = mkt_.Celsius();
        if (stats_.kind == SensorKind::Celsius)
            stats_.mkt = mkt;
        else if (stats_.kind == SensorKind::Fahrenheit && mkt)
            stats_.mkt = FahrenheitFromCelsius(*mkt);
        if (stats_.kind != SensorKind::Analog) {
            stats_.rollingMkt =
                HighestRollingMkt(celsius_, DefaultMktWindow(stats_.limits, stats_.kind));
            if (stats_.rollingMkt && stats_.kind == SensorKind::Fahrenheit)
                stats_.rollingMkt->mkt = FahrenheitFromCelsius(stats_.rollingMkt->mkt);
        }
        return std::move(stats_);
    }

  private:
    void AddCelsius(double time, double celsius) {
        mkt_.Add(celsius);
        celsius_.push_back({time, celsius});
    }

    SensorStatistics stats_;
    double sum_ = 0;
    MeanKineticTemperature mkt_;
    std::vector<TimedReading> celsius_;  // for the rolling MKT
    SensorExcursions excursions_;
};

}  // namespace

HistoryAnalysis AnalyzeHistory(std::span<const data::HistoryRecord> records,
                               const SensorSetups& setups) {
    HistoryAnalysis analysis;
    analysis.records = records.size();

    const std::vector<data::TimedRecord> order = data::RecordsInTimeOrder(records);
    analysis.untimed = records.size() - order.size();
    if (order.empty())
        return analysis;
    analysis.from = order.front().time;
    analysis.to = order.back().time;

    std::vector<double> times;
    times.reserve(order.size());
    std::vector<SensorAccumulator> sensors;
    sensors.reserve(data::kSensorCount);
    for (int s = 0; s < data::kSensorCount; ++s)
        sensors.emplace_back(s + 1, setups[static_cast<std::size_t>(s)]);
    for (SensorAccumulator& sensor : sensors) sensor.Reserve(order.size());
    for (const data::TimedRecord& t : order) {
        times.push_back(t.time);
        const data::HistoryRecord& record = records[t.index];
        for (std::size_t s = 0; s < data::kSensorCount; ++s) {
            const double value = record.sensor[s];
            if (record.sensorPresent[s] != 1)
                continue;
            if (std::isfinite(value))
                sensors[s].Add(t.time, value);
            else
                sensors[s].AddNotANumber();
        }
    }
    analysis.log = FindLogGaps(times);
    for (SensorAccumulator& sensor : sensors)
        if (sensor.HasReadings())
            analysis.sensors.push_back(sensor.Finish());
    return analysis;
}

}  // namespace lgcset::analysis
