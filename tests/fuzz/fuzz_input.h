// What the fuzz targets share: taking typed values off the front of the input, and the
// check that stops a target on a property that must hold (under the fuzzer a crash it
// keeps, in the replay a failing test).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

namespace lgcset::fuzz {

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

    bool Empty() const { return bytes_.empty(); }
    std::size_t Left() const { return bytes_.size(); }
    // 0 once the input is used up.
    std::uint8_t Byte() {
        if (bytes_.empty())
            return 0;
        const std::uint8_t b = bytes_.front();
        bytes_ = bytes_.subspan(1);
        return b;
    }
    std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() | Byte() << 8); }
    // Up to `count` bytes, fewer at the end.
    std::span<const std::uint8_t> Take(std::size_t count) {
        const std::size_t n = count < bytes_.size() ? count : bytes_.size();
        const auto taken = bytes_.first(n);
        bytes_ = bytes_.subspan(n);
        return taken;
    }
    std::span<const std::uint8_t> Rest() { return Take(bytes_.size()); }
    std::string_view RestText() {
        const auto rest = Rest();
        return {reinterpret_cast<const char*>(rest.data()), rest.size()};
    }

  private:
    std::span<const std::uint8_t> bytes_;
};

[[noreturn]] inline void Violated(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, what);
    std::abort();
}

}  // namespace lgcset::fuzz

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::lgcset::fuzz::Violated(#condition, __FILE__, __LINE__))

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
