// Throughput of the frame codec: the receive path (assemble, unstuff, parse, dispatch to a
// handler that does nothing) for a mix of replies as the logger sends them, and requests
// built and stuffed.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "protocol/commands.h"
#include "protocol/frame_codec.h"

namespace {

using lgcset::protocol::BuildFrame;
using lgcset::protocol::EscapeFrame;
using Bytes = std::vector<std::uint8_t>;

// Random bytes in which about one in 64 needs stuffing, as in real page and record data.
Bytes Payload(std::mt19937& rng, std::size_t size) {
    Bytes out(size);
    for (auto& b : out) {
        const unsigned r = rng() % 128;
        b = r == 0 ? 0xA5 : r == 1 ? 0xAA : static_cast<std::uint8_t>(rng() % 0xA0);
    }
    return out;
}

// A reply stream: short results, 256-byte pages, history records and current data.
Bytes ReplyStream() {
    std::mt19937 rng(7);
    Bytes wire;
    for (int i = 0; i < 2000; ++i) {
        Bytes frame;
        switch (i % 10) {
            case 0:
            case 1:
            case 2:
            case 3:
                frame = BuildFrame(0x12, Bytes{0x01});  // result byte
                break;
            case 4:
            case 5:
            case 6:
                frame = BuildFrame(0x11, Payload(rng, 256));  // page
                break;
            case 7:
            case 8:
                frame = BuildFrame(0x16, Payload(rng, 8 + 6 * 12));  // history record
                break;
            default:
                frame = BuildFrame(0x17, Payload(rng, 6 * 14));  // current data
                break;
        }
        const Bytes stuffed = EscapeFrame(frame);
        wire.insert(wire.end(), stuffed.begin(), stuffed.end());
    }
    return wire;
}

void BM_ReceiveByteByByte(benchmark::State& state) {
    const Bytes wire = ReplyStream();
    lgcset::protocol::FrameAssembler assembler;
    std::size_t frames = 0;
    assembler.SetOnFrame([&](const lgcset::protocol::ReceivedFrame&) { ++frames; });
    for (auto _ : state) {
        for (const std::uint8_t b : wire) {
            assembler.Feed(b);
        }
    }
    benchmark::DoNotOptimize(frames);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * wire.size()));
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReceiveByteByByte);

void BM_ReceiveInRuns(benchmark::State& state) {
    const Bytes wire = ReplyStream();
    const auto run = static_cast<std::size_t>(state.range(0));
    lgcset::protocol::FrameAssembler assembler;
    std::size_t frames = 0;
    assembler.SetOnFrame([&](const lgcset::protocol::ReceivedFrame&) { ++frames; });
    for (auto _ : state) {
        for (std::size_t at = 0; at < wire.size(); at += run) {
            assembler.Feed(std::span(wire).subspan(at, std::min(run, wire.size() - at)));
        }
    }
    benchmark::DoNotOptimize(frames);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * wire.size()));
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReceiveInRuns)->Arg(64)->Arg(4096);

void BM_BuildAndStuffRequests(benchmark::State& state) {
    std::mt19937 rng(11);
    Bytes image = Payload(rng, 65536);
    lgcset::protocol::RequestParams params;
    params.clock = lgcset::protocol::ClockSetting::FromDateTime(2024, 3, 5, 14, 7, 9);
    params.historyRecordIndex = 165;
    std::size_t bytes = 0;
    Bytes sendBuffer;
    for (auto _ : state) {
        for (std::uint32_t page = 1024; page <= 4096; page += 1024) {
            sendBuffer.clear();
            EscapeFrame(lgcset::protocol::BuildWritePage(page, image), sendBuffer);
            bytes += sendBuffer.size();
        }
        for (const std::uint8_t type : {21, 22, 23, 34, 35}) {
            sendBuffer.clear();
            EscapeFrame(*lgcset::protocol::BuildRequest(type, params), sendBuffer);
            bytes += sendBuffer.size();
        }
        sendBuffer.clear();
        EscapeFrame(lgcset::protocol::BuildReadPage(2048), sendBuffer);
        bytes += sendBuffer.size();
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * 10));
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_BuildAndStuffRequests);

}  // namespace

BENCHMARK_MAIN();
