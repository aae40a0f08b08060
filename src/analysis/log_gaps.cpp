#include "analysis/log_gaps.h"

#include <algorithm>

namespace lgcset::analysis {

LogGaps FindLogGaps(std::span<const double> times) {
    LogGaps result;
    std::vector<double> steps;
    steps.reserve(times.size());
    for (std::size_t i = 1; i < times.size(); ++i) {
        const double step = times[i] - times[i - 1];
        if (step > 0)
            steps.push_back(step);
    }
    if (steps.empty())
        return result;
    std::sort(steps.begin(), steps.end());
    double mode = steps.front();
    std::size_t modeCount = 0;
    for (std::size_t run = 0; run < steps.size();) {
        std::size_t end = run;
        while (end < steps.size() && steps[end] == steps[run]) ++end;
        if (end - run > modeCount) {
            mode = steps[run];
            modeCount = end - run;
        }
        run = end;
    }
    result.interval = mode;
    for (std::size_t i = 1; i < times.size(); ++i) {
        const double step = times[i] - times[i - 1];
        if (step > 2 * mode)
            result.gaps.push_back({times[i - 1], times[i], step});
    }
    return result;
}

}  // namespace lgcset::analysis
