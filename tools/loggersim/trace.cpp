#include "loggersim/trace.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

namespace lgcset::sim {

std::string UtcTimestamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(millis));
    return text;
}

Trace::Trace(const Options& options) : enabled_(options.trace) {
    if (!enabled_) {
        return;
    }
    if (options.traceSink) {
        sink_ = options.traceSink;
    } else if (!options.traceFile.empty()) {
        file_ = std::fopen(options.traceFile.c_str(), "ae");  // e: close-on-exec
        if (file_ == nullptr) {
            error_ = "cannot open trace file " + options.traceFile + ": " + std::strerror(errno);
            enabled_ = false;
            return;
        }
        ownsFile_ = true;
    } else {
        file_ = stderr;
    }
}

Trace::~Trace() {
    if (ownsFile_) {
        std::fclose(file_);
    }
}

void Trace::Emit(const std::string& line) {
    if (sink_) {
        sink_(line);
    } else if (file_ != nullptr) {
        std::fputs(line.c_str(), file_);
        std::fputc('\n', file_);
        std::fflush(file_);
    }
}

void Trace::Line(std::string_view direction, std::span<const std::uint8_t> bytes,
                 std::string_view note) {
    if (!enabled_) {
        return;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string line = UtcTimestamp();
    line += ' ';
    line += direction;
    for (std::uint8_t b : bytes) {
        line += ' ';
        line += kHex[b >> 4];
        line += kHex[b & 0x0F];
    }
    if (!note.empty()) {
        line += "  (";
        line += note;
        line += ')';
    }
    Emit(line);
}

void Trace::Note(std::string_view text) {
    if (!enabled_) {
        return;
    }
    Emit(UtcTimestamp() + " -- " + std::string(text));
}

}  // namespace lgcset::sim
