#include "sim/fault_injector.h"

#include "protocol/frame_codec.h"

namespace lgcset::sim {

namespace {
// Spreads one seed into well-separated seeds for the streams.
std::uint64_t SplitMix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}
}  // namespace

// The engines' outputs are fixed by the standard; the conversions below are our own, so a
// seed gives the same faults with every standard library.
double FaultInjector::Stream::Uniform() {
    return static_cast<double>(engine() >> 11) * (1.0 / 9007199254740992.0);
}

std::uint64_t FaultInjector::Stream::Below(std::uint64_t n) {
    return engine() % n;
}

bool FaultInjector::Stream::Strikes(double probability) {
    if (probability <= 0.0) {
        return false;
    }
    return Uniform() < probability;
}

FaultInjector::FaultInjector(const FaultOptions& options)
    : options_(options),
      drop_{std::mt19937_64{SplitMix(options.seed * 8 + 1)}},
      corrupt_{std::mt19937_64{SplitMix(options.seed * 8 + 2)}},
      noise_{std::mt19937_64{SplitMix(options.seed * 8 + 3)}},
      lone_{std::mt19937_64{SplitMix(options.seed * 8 + 4)}},
      duplicate_{std::mt19937_64{SplitMix(options.seed * 8 + 5)}},
      delay_{std::mt19937_64{SplitMix(options.seed * 8 + 6)}} {}

void FaultInjector::Corrupt(std::vector<std::uint8_t>& frame) {
    // Change one byte from the command code to the end of the check, never an escape pair
    // and never into 0xA5 or 0xAA: the frame keeps its shape and its stuffing, and its check
    // no longer matches.
    std::vector<std::size_t> candidates;
    for (std::size_t i = 3; i + 1 < frame.size(); ++i) {
        if (frame[i] == protocol::kEscape) {
            ++i;  // skip the code byte with it
            continue;
        }
        candidates.push_back(i);
    }
    if (candidates.empty()) {
        return;
    }
    const std::size_t at = candidates[corrupt_.Below(candidates.size())];
    std::uint8_t changed = frame[at];
    while (changed == frame[at] || changed == protocol::kDelimiter ||
           changed == protocol::kEscape) {
        changed = static_cast<std::uint8_t>(frame[at] ^ (1 + corrupt_.Below(255)));
    }
    frame[at] = changed;
}

ReplyPlan FaultInjector::Plan(std::vector<std::uint8_t> frame) {
    // Every stream is consulted for every reply, struck or not, so each fault's pattern over
    // the replies depends on the seed alone.
    ReplyPlan plan;
    plan.frame = std::move(frame);
    plan.drop = drop_.Strikes(options_.dropProbability);
    plan.corrupted = corrupt_.Strikes(options_.corruptProbability);
    if (plan.corrupted) {
        Corrupt(plan.frame);
    }
    if (noise_.Strikes(options_.noiseProbability)) {
        const std::size_t count = 1 + noise_.Below(16);
        for (std::size_t i = 0; i < count; ++i) {
            auto b = static_cast<std::uint8_t>(noise_.Below(255));  // 0..254, then skip 0xA5
            plan.before.push_back(b >= protocol::kDelimiter ? static_cast<std::uint8_t>(b + 1) : b);
        }
    }
    if (lone_.Strikes(options_.loneDelimiterProbability)) {
        plan.before.push_back(protocol::kDelimiter);
    }
    plan.copies = duplicate_.Strikes(options_.duplicateProbability) ? 2 : 1;
    plan.delayMs = options_.delayMs;
    if (options_.delayRandomMaxMs > 0) {
        plan.delayMs += static_cast<int>(
            delay_.Below(static_cast<std::uint64_t>(options_.delayRandomMaxMs) + 1));
    }
    return plan;
}

}  // namespace lgcset::sim
