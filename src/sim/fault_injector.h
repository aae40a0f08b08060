// Decides, reply by reply, which of the configured line faults strike. Each fault draws from
// its own generator derived from the seed, so switching one fault on or off does not change
// when the others strike.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "sim/options.h"

namespace lgcset::sim {

struct ReplyPlan {
    bool drop = false;
    std::vector<std::uint8_t> before;  // noise and/or a lone 0xA5 sent ahead of the frame
    std::vector<std::uint8_t> frame;   // the stuffed frame, one byte changed when corrupted
    bool corrupted = false;
    int copies = 1;  // 2 when answered twice
    int delayMs = 0;
};

class FaultInjector {
  public:
    explicit FaultInjector(const FaultOptions& options);

    // Plans how the stuffed reply `frame` goes out.
    ReplyPlan Plan(std::vector<std::uint8_t> frame);

  private:
    // One independent stream per fault.
    struct Stream {
        std::mt19937_64 engine;
        double Uniform();                      // [0, 1)
        std::uint64_t Below(std::uint64_t n);  // [0, n), n > 0
        bool Strikes(double probability);
    };

    void Corrupt(std::vector<std::uint8_t>& frame);

    FaultOptions options_;
    Stream drop_, corrupt_, noise_, lone_, duplicate_, delay_;
};

}  // namespace lgcset::sim
