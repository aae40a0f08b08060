// A benchmark's short form: the test suite runs every benchmark once with
// LGCSET_BENCH_SHORT=1, a few hundred records and the line unpaced, so that a benchmark that
// no longer runs fails the suite instead of rotting. Figures from a short run mean nothing.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace lgcset::bench {

inline bool ShortRun() {
    const char* value = std::getenv("LGCSET_BENCH_SHORT");
    return value != nullptr && std::string_view(value) != "" && std::string_view(value) != "0";
}

// The records a benchmark takes: `full`, or a few hundred in the short form.
template <typename Count>
Count Records(Count full) {
    return ShortRun() ? std::min<Count>(full, 300) : full;
}

// The baud rate the simulated line is paced at: none in the short form.
inline std::uint32_t Baud(std::uint32_t paced) {
    return ShortRun() ? 0 : paced;
}

}  // namespace lgcset::bench
