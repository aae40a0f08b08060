// The simulated logger's side of the line: a raw frame of any bytes through its request
// parser and, when it parses, through the logger, whose reply must fit one frame.
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "sim/device.h"
#include "sim/request_frame.h"

using namespace lgcset;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto request = sim::ParseRequest({data, size});
    if (!request)
        return 0;
    // A fixed host clock (2026-03-01 12:00:00) keeps a run reproducible.
    constexpr std::int64_t kNow = 1772366400;
    static const sim::Options options = [] {
        sim::Options o;
        o.days = 2;
        return o;
    }();
    sim::Device device(options, kNow);
    const auto reply = device.Handle(*request, kNow);
    if (reply)
        FUZZ_CHECK(reply->payload.size() <= 256);
    return 0;
}
