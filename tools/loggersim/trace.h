// The simulator's trace: one line per frame received or sent (and per burst of injected
// noise), with a UTC timestamp, the direction, the stuffed bytes in hex and a note.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "sim/options.h"

namespace lgcset::sim {

class Trace {
  public:
    explicit Trace(const Options& options);
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    bool enabled() const { return enabled_; }
    // False when a trace file was asked for and could not be opened; `error` says why.
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    void Line(std::string_view direction, std::span<const std::uint8_t> bytes,
              std::string_view note = {});
    void Note(std::string_view text);

  private:
    void Emit(const std::string& line);

    bool enabled_ = false;
    std::function<void(const std::string&)> sink_;
    std::FILE* file_ = nullptr;
    bool ownsFile_ = false;
    std::string error_;
};

// "2026-12-08T01:02:03.456Z"
std::string UtcTimestamp();

}  // namespace lgcset::sim
