// The audit trail: verifying the chain of 100,000 rows (target 2 s), and keeping one audit
// row and one settings snapshot in a SQLite file archive, as a settings write does (target
// 5 ms together).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/audit_chain.h"
#include "archive/sqlite_archive.h"
#include "short_run.h"

namespace {

namespace fs = std::filesystem;
using namespace lgcset::archive;

AuditEntry Entry(int i) {
    AuditEntry e;
    e.at = 1'735'000'000 + i;
    e.user = "ann";
    e.host = "bench-3";
    e.program = "LGCSET 1.4.0";
    e.deviceId = "000000000012345";
    e.model = "R481";
    e.detail = "Sampling interval: 10 min -> 5 min\nAlarm high 1: 8.0 -> 7.5";
    e.result = AuditResult::Verified;
    e.reason = "calibration due";
    return e;
}

void BM_VerifyChain(benchmark::State& state) {
    const int count = lgcset::bench::Records(100'000);
    std::vector<AuditRow> rows(static_cast<std::size_t>(count));
    std::string previous(kFirstPreviousHash);
    for (int i = 0; i < count; ++i) {
        AuditRow& row = rows[static_cast<std::size_t>(i)];
        row.sequence = i + 1;
        row.entry = Entry(i);
        row.previousHash = previous;
        row.hash = previous = ChainHash(previous, row.sequence, row.entry);
    }
    for (auto _ : state) {
        const auto fault = VerifyChain(rows);
        if (fault)
            state.SkipWithError("the chain does not verify");
        benchmark::DoNotOptimize(fault);
    }
    state.counters["rows"] = count;
}
BENCHMARK(BM_VerifyChain)->Unit(benchmark::kMillisecond);

void BM_AppendAuditAndSnapshot(benchmark::State& state) {
    const fs::path file = fs::temp_directory_path() / "lgcset-audit-bench.sqlite";
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(file.string() + suffix);
    OpenResult opened = OpenSqliteArchive(file, false);
    if (!opened.store) {
        state.SkipWithError(opened.status.message.c_str());
        return;
    }
    SettingsSnapshot snapshot;
    snapshot.deviceId = "000000000012345";
    snapshot.model = "R481";
    snapshot.at = 1'735'000'000;
    for (const std::uint32_t address : {0x0000u, 0x0100u, 0x0200u, 0x1000u})
        snapshot.pages[address] = std::vector<std::uint8_t>(256, 0x5a);
    int i = 0;
    for (auto _ : state) {
        const auto row = opened.store->AppendAudit(Entry(i++));
        const auto kept = opened.store->AddSnapshot(snapshot);
        if (!row.status.ok() || !kept.status.ok())
            state.SkipWithError("not kept");
    }
    opened.store.reset();
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(file.string() + suffix);
}
BENCHMARK(BM_AppendAuditAndSnapshot)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
