#include "analysis/excursions.h"

#include <cmath>
#include <limits>

namespace lgcset::analysis {

ExcursionTracker::ExcursionTracker(LimitKind kind, float limit)
    : kind_(kind), limit_(limit), above_(DefinitionOf(kind).above) {}

bool ExcursionTracker::Beyond(double value) const {
    // An edited file may hold a number no single-precision value reaches: it is beyond any
    // limit on its side.
    const double reading = std::abs(value) <= std::numeric_limits<float>::max()
                               ? static_cast<double>(static_cast<float>(value))
                               : value;
    return above_ ? reading > limit_ : reading < limit_;
}

void ExcursionTracker::Add(double time, double value, std::vector<Excursion>& out) {
    lastTime_ = time;
    if (Beyond(value)) {
        if (!run_) {
            run_ = Excursion{kind_, time, time, 0, value, false};
        } else if (above_ ? value > run_->peak : value < run_->peak) {
            run_->peak = value;
        }
        return;
    }
    if (run_) {
        run_->to = time;
        run_->seconds = time - run_->from;
        out.push_back(*run_);
        run_.reset();
    }
}

void ExcursionTracker::Finish(std::vector<Excursion>& out) {
    if (!run_)
        return;
    run_->to = lastTime_;
    run_->seconds = lastTime_ - run_->from;
    run_->open = true;
    out.push_back(*run_);
    run_.reset();
}

}  // namespace lgcset::analysis
