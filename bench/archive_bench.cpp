// The archive: one full transfer stored (target 0.3 s), and reading one logger's month and
// year out of 500 loggers' year at a 30-minute interval (targets 20 ms and 100 ms), with
// the file's size per million readings. The full transfer is stored into PostgreSQL too
// when LGCSET_ARCHIVE_BENCH_PG_URL names a database the bench may empty (its archive tables
// are dropped before each run).
//
// The large archive takes a few minutes to build; it is kept in the temporary folder and
// reused while it holds what it should (LGCSET_ARCHIVE_BENCH_FILE names another file).
#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/archive_open.h"
#include "archive/sqlite_archive.h"
#include "data/calendar.h"
#include "short_run.h"

namespace {

namespace fs = std::filesystem;
using lgcset::archive::ArchiveStore;
using lgcset::archive::DownloadInfo;
using lgcset::archive::LoggerKey;
using lgcset::data::HistoryRecord;

using lgcset::bench::ShortRun;

constexpr int kPerDay = 48;  // every 30 minutes
// 500 loggers' year from 2024-01-01 on; three loggers' hundred days in the short form.
const int kLoggers = ShortRun() ? 3 : 500;
const int kDays = ShortRun() ? 100 : 365;
const std::size_t kTransfer = lgcset::bench::Records<std::size_t>(65535);

// Four sensors sent, no position: a temperature logger's record.
std::vector<HistoryRecord> Records(std::int64_t firstDay, std::size_t count, int logger) {
    std::vector<HistoryRecord> records(count);
    for (std::size_t i = 0; i < count; ++i) {
        HistoryRecord& r = records[i];
        const std::int64_t day = firstDay + static_cast<std::int64_t>(i) / kPerDay;
        const int slot = static_cast<int>(i % kPerDay);
        const lgcset::data::CalendarDate date = lgcset::data::CivilFromDays(day);
        r.year = static_cast<std::uint16_t>(date.year - 2000);
        r.month = static_cast<std::uint8_t>(date.month);
        r.day = static_cast<std::uint8_t>(date.day);
        r.hour = static_cast<std::uint8_t>(slot / 2);
        r.minute = static_cast<std::uint8_t>(slot % 2 * 30);
        for (std::size_t s = 0; s < 4; ++s) {
            const std::size_t wave = i * 7 + s * 13 + static_cast<std::size_t>(logger);
            r.sensor[s] = 4.0 + static_cast<double>(wave % 400) / 100.0;
            r.sensorPresent[s] = 1;
        }
        lgcset::data::MarkPositionsAbsent(r);
    }
    return records;
}

DownloadInfo Download(int logger) {
    DownloadInfo d;
    d.logger = {std::to_string(100000000000000 + logger), "R481"};
    d.at = 1'735'000'000;
    d.source = "bench";
    return d;
}

std::unique_ptr<ArchiveStore> Open(const fs::path& file) {
    auto opened = lgcset::archive::OpenSqliteArchive(file, false);
    if (!opened.store) {
        std::fprintf(stderr, "%s\n", opened.status.message.c_str());
        std::exit(1);
    }
    return std::move(opened.store);
}

void BM_ArchiveFullTransfer(benchmark::State& state) {
    const fs::path file = fs::temp_directory_path() / "lgcset-archive-bench-transfer.sqlite";
    const auto records = Records(lgcset::data::DaysFromCivil(2024, 1, 1), kTransfer, 0);
    const bool again = state.range(0) == 1;  // the same transfer a second time: all there
    for (auto _ : state) {
        state.PauseTiming();
        for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(file.string() + suffix);
        auto store = Open(file);
        if (again)
            store->Add(Download(0), records);
        state.ResumeTiming();
        const auto added = store->Add(Download(0), records);
        benchmark::DoNotOptimize(added.counts.added);
    }
    state.SetLabel(again ? "all already there" : "all new");
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(file.string() + suffix);
}
BENCHMARK(BM_ArchiveFullTransfer)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same transfer into PostgreSQL, the database emptied first.
void BM_ArchiveFullTransferPostgres(benchmark::State& state) {
    const char* url = std::getenv("LGCSET_ARCHIVE_BENCH_PG_URL");
    if (url == nullptr) {
        state.SkipWithError("LGCSET_ARCHIVE_BENCH_PG_URL names no database");
        return;
    }
    const auto records = Records(lgcset::data::DaysFromCivil(2024, 1, 1), kTransfer, 0);
    const bool again = state.range(0) == 1;
    for (auto _ : state) {
        state.PauseTiming();
        PGconn* c = PQconnectdb(url);
        PQsetNoticeProcessor(c, [](void*, const char*) {}, nullptr);
        PQclear(PQexec(c, "DROP TABLE IF EXISTS readings, downloads, loggers, meta, snapshot_pages, "
                        "settings_snapshots, audit_trail, calibrations"));
        PQfinish(c);
        auto opened = lgcset::archive::OpenArchive(url, false);
        if (!opened.store) {
            state.SkipWithError(opened.status.message.c_str());
            return;
        }
        if (again)
            opened.store->Add(Download(0), records);
        state.ResumeTiming();
        const auto added = opened.store->Add(Download(0), records);
        benchmark::DoNotOptimize(added.counts.added);
    }
    state.SetLabel(again ? "all already there" : "all new");
}
BENCHMARK(BM_ArchiveFullTransferPostgres)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

fs::path LargeArchive() {
    const char* named = std::getenv("LGCSET_ARCHIVE_BENCH_FILE");
    const fs::path file = named != nullptr
                              ? fs::path(named)
                              : fs::temp_directory_path() / (ShortRun()
                                                                   ? "lgcset-archive-bench-short.sqlite"
                                                                   : "lgcset-archive-bench.sqlite");
    {
        auto store = Open(file);
        const auto loggers = store->Loggers().rows;
        if (loggers.size() == static_cast<std::size_t>(kLoggers) &&
            loggers.back().readings == static_cast<std::size_t>(kPerDay * kDays))
            return file;
    }
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(file.string() + suffix);
    auto store = Open(file);
    const std::int64_t first = lgcset::data::DaysFromCivil(2024, 1, 1);
    for (int logger = 0; logger < kLoggers; ++logger)
        store->Add(Download(logger),
                   Records(first, static_cast<std::size_t>(kPerDay * kDays), logger));
    return file;
}

// The readings of one logger from the first day of `month` 2024 for `days` days.
void ReadRange(benchmark::State& state, unsigned month, int days) {
    static const fs::path file = LargeArchive();
    auto store = Open(file);
    const LoggerKey logger = Download(kLoggers / 2).logger;
    const std::int64_t from = lgcset::data::DaysFromCivil(2024, month, 1) * 86400;
    const std::int64_t to = from + days * 86400 - 1;
    std::size_t read = 0;
    for (auto _ : state) {
        const auto records = store->Readings(logger, from, to).rows;
        read = records.size();
        benchmark::DoNotOptimize(records.data());
    }
    state.counters["readings"] = static_cast<double>(read);
    std::uintmax_t bytes = 0;
    for (const char* suffix : {"", "-wal"})
        if (fs::exists(file.string() + suffix))
            bytes += fs::file_size(file.string() + suffix);
    state.counters["MB_per_million"] =
        static_cast<double>(bytes) / 1e6 / (kLoggers * kPerDay * kDays / 1e6);
}

void BM_ArchiveMonthOfOneLogger(benchmark::State& state) {
    ReadRange(state, 3, 31);
}
void BM_ArchiveYearOfOneLogger(benchmark::State& state) {
    ReadRange(state, 1, kDays);
}
BENCHMARK(BM_ArchiveMonthOfOneLogger)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArchiveYearOfOneLogger)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
