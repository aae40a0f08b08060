#include "analysis/rolling_mkt.h"

#include <cmath>
#include <cstddef>
#include <vector>

namespace lgcset::analysis {
namespace {

// The sum of the window's Arrhenius terms as readings enter and leave it. Compensated: a
// probe fault's term can outweigh a cold room's by twelve orders of magnitude, and once it
// has left, a plain running sum would keep its rounding error, as large as the terms left.
class SlidingSum {
  public:
    void Add(double term) {
        const double t = sum_ + term;
        compensation_ += std::abs(sum_) >= std::abs(term) ? (sum_ - t) + term : (term - t) + sum_;
        sum_ = t;
    }
    double Value() const { return sum_ + compensation_; }

  private:
    double sum_ = 0;
    double compensation_ = 0;
};

// The Arrhenius terms of a window: `unphysical` readings at or below absolute zero stay out
// of the sum, which they would make infinite.
struct Window {
    SlidingSum sum;
    std::size_t count = 0;
    std::size_t unphysical = 0;
};

struct Term {
    double time;
    double value;  // exp(−ΔH/(R·T)); unused when unphysical
    bool unphysical;
};

// The mean of the window's terms, by which windows compare as their MKTs do; nothing where
// the window has no MKT (a term of 1 is a reading so hot that it outweighs every other).
std::optional<double> MeanTerm(const Window& w) {
    if (w.count == 0 || w.unphysical > 0)
        return std::nullopt;
    const double mean = w.sum.Value() / static_cast<double>(w.count);
    if (!(mean < 1))
        return std::nullopt;
    return mean;
}

std::optional<double> MktOf(double meanTerm, double activationOverGas) {
    const double celsius = activationOverGas / -std::log(meanTerm) - kZeroCelsius;
    if (!std::isfinite(celsius))
        return std::nullopt;
    return celsius;
}

void Enter(Window& w, const Term& t) {
    ++w.count;
    if (t.unphysical)
        ++w.unphysical;
    else
        w.sum.Add(t.value);
}

void Leave(Window& w, const Term& t) {
    --w.count;
    if (t.unphysical)
        --w.unphysical;
    else
        w.sum.Add(-t.value);
}

}  // namespace

double DefaultMktWindow(const SensorLimits& limits, SensorKind kind) {
    // In single precision, as the logger holds the limit: 46.4 °F is no exact 8 °C.
    const float coldChain = kind == SensorKind::Fahrenheit ? 46.4f : 8.0f;
    const auto& high = limits[LimitIndex(LimitKind::High)];
    return high && *high <= coldChain ? kDaySeconds : 30 * kDaySeconds;
}

std::optional<RollingMkt> HighestRollingMkt(std::span<const TimedReading> celsius, double window,
                                            double activationOverGas) {
    if (!(window > 0))
        return std::nullopt;
    std::vector<Term> terms;
    terms.reserve(celsius.size());
    for (const TimedReading& r : celsius) {
        if (!std::isfinite(r.value) || !std::isfinite(r.time))
            continue;
        const double kelvin = r.value + kZeroCelsius;
        terms.push_back(
            {r.time, kelvin > 0 ? std::exp(-activationOverGas / kelvin) : 0, !(kelvin > 0)});
    }
    if (terms.empty())
        return std::nullopt;
    const double first = terms.front().time;
    const double last = terms.back().time;

    if (last - first < window) {
        Window all;
        for (const Term& t : terms) Enter(all, t);
        const auto mean = MeanTerm(all);
        const auto mkt = mean ? MktOf(*mean, activationOverGas) : std::nullopt;
        if (!mkt)
            return std::nullopt;
        return RollingMkt{*mkt, window, first, last, true};
    }

    std::optional<double> bestMean;
    double bestFrom = 0;
    Window w;
    std::size_t end = 0;
    for (std::size_t start = 0; start < terms.size() && terms[start].time + window <= last;
         ++start) {
        if (start > 0)
            Leave(w, terms[start - 1]);
        // A window starts at the first of the readings of its time.
        if (start > 0 && terms[start].time == terms[start - 1].time)
            continue;
        const double to = terms[start].time + window;
        for (; end < terms.size() && terms[end].time < to; ++end) Enter(w, terms[end]);
        const auto mean = MeanTerm(w);
        if (mean && (!bestMean || *mean > *bestMean)) {
            bestMean = mean;
            bestFrom = terms[start].time;
        }
    }
    const auto mkt = bestMean ? MktOf(*bestMean, activationOverGas) : std::nullopt;
    if (!mkt)
        return std::nullopt;
    return RollingMkt{*mkt, window, bestFrom, bestFrom + window, false};
}

}  // namespace lgcset::analysis
