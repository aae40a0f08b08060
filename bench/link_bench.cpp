// The device link's receive path through a pseudo-terminal with InputLen 1 (as on the
// logger link): bytes per second handed to OnReceiveData, and the time from the far end's
// write to the event. The line itself runs at 11,520 bytes/s (115,200 baud).
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "link/SerialComm.h"
#include "link/comm_event_sink.h"

namespace {

using lgcset::link::BlockingCommQueue;
using lgcset::link::TComm;

class Pty {
  public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        ::grantpt(master_);
        ::unlockpt(master_);
        char name[128] = {};
        ::ptsname_r(master_, name, sizeof name);
        slave_ = name;
    }
    ~Pty() { ::close(master_); }
    int master() const { return master_; }
    const std::string& slave() const { return slave_; }

  private:
    int master_ = -1;
    std::string slave_;
};

// One open link for the whole run, counting what reaches the owner.
struct Link {
    Pty pty;
    BlockingCommQueue events;
    TComm comm{events};
    std::size_t received = 0;

    Link() {
        comm.setCommName(pty.slave());
        comm.setBaudRate(115200);
        comm.OnReceiveData = [this](TComm*, const std::uint8_t*, std::uint16_t n) {
            received += n;
        };
        comm.OpenPort();
    }
    void ServeUntil(std::size_t target) {
        while (received < target) {
            events.DeliverUntil(BlockingCommQueue::Clock::now() + std::chrono::seconds(1));
        }
    }
};

Link* gLink = nullptr;  // lives in main

Link& TheLink() {
    return *gLink;
}

void BM_ReceiveThroughput(benchmark::State& state) {
    Link& link = TheLink();
    if (!link.comm.PortOpen()) {
        state.SkipWithError("cannot open a pseudo-terminal");
        return;
    }
    const std::size_t chunk = static_cast<std::size_t>(state.range(0));
    const std::vector<std::uint8_t> bytes(chunk, 0x5A);
    for (auto _ : state) {
        const std::size_t target = link.received + chunk;
        std::thread farEnd([&] {
            std::size_t offset = 0;
            while (offset < chunk) {
                const ssize_t n = ::write(link.pty.master(), bytes.data() + offset, chunk - offset);
                if (n > 0) {
                    offset += static_cast<std::size_t>(n);
                }
            }
        });
        link.ServeUntil(target);
        farEnd.join();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(chunk));
    state.counters["x_line_rate"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(chunk) / 11520.0,
        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReceiveThroughput)->Arg(1 << 16)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ByteLatency(benchmark::State& state) {
    Link& link = TheLink();
    if (!link.comm.PortOpen()) {
        state.SkipWithError("cannot open a pseudo-terminal");
        return;
    }
    const std::uint8_t byte = 0xA5;
    for (auto _ : state) {
        const std::size_t target = link.received + 1;
        const auto start = std::chrono::steady_clock::now();
        if (::write(link.pty.master(), &byte, 1) != 1) {
            state.SkipWithError("far end write failed");
            break;
        }
        link.ServeUntil(target);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(BM_ByteLatency)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    Link link;
    gLink = &link;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
