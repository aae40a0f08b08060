// A whole history "Query" of the window against the simulated logger on a pseudo-terminal,
// from the click to the closing reply, and the decoding of replies into the store alone.
//
// Paced at 115,200 baud the logger's line takes 10 bits a byte in each direction; `ratio`
// is the time of the fetch over the pure line time of the bytes exchanged both ways (1.0
// would be a line that never idles). Unpaced, `records_per_s` is what the program and the
// pseudo-terminal manage by themselves.
//
// A fetch runs from the click on "Query" to the arrival of the reply to the closing
// request; the export it starts then writes into a temporary folder, is timed on its own
// (`export_ms`), and its "open the file?" questions are declined.
//
// BM_BareClientFetch runs the same fetch with a client that does nothing but write each
// request and read its reply: the floor that the simulated line and the machine set.
//
// `gui_allocs_per_record` counts the allocations made on the window's thread during the
// fetch, over the records fetched: the send path, the traffic log and the counters
// included; `link_allocs_per_record` those of the link's reader and writer threads.
// `allocs_per_record` of BM_DecodeReplies counts those of the history query and its
// decoder alone.
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <termios.h>
#include <unistd.h>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDateTimeEdit>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "data/history_query.h"
#include "loggersim/simulator.h"
#include "protocol/frame_codec.h"
#include "sim/history_log.h"
#include "sim/synthetic_readings.h"
#include "ui/scripted_message_boxes.h"
#include "ui/umset.h"
#include "short_run.h"
#include "window_bench.h"

// ---- Allocation count ---------------------------------------------------------------------
//
// Every malloc, calloc, realloc and aligned allocation of the process goes through here
// (operator new and Qt's containers end in malloc), counted while a fetch runs by the kind
// of thread that makes it: the window's thread, the link's reader and writer, the
// simulated logger (not the program, so not reported), others. A thread's kind is the
// one set when it was created.

namespace {

enum ThreadKind : int { kOtherThread, kWindowThread, kLinkThread, kLoggerThread, kThreadKinds };

std::atomic<bool> gCounting{false};
std::atomic<std::uint64_t> gAllocations[kThreadKinds];
std::atomic<int> gCreatingKind{kOtherThread};
thread_local int tThreadKind = kOtherThread;

inline void CountAllocation() {
    if (gCounting.load(std::memory_order_relaxed))
        gAllocations[tThreadKind].fetch_add(1, std::memory_order_relaxed);
}

// The allocations of each kind of thread from Start to Stop.
struct CountAllocations {
    void Start() {
        for (int k = 0; k < kThreadKinds; ++k) start[k] = gAllocations[k].load();
        gCounting.store(true);
    }
    void Stop() {
        gCounting.store(false);
        for (int k = 0; k < kThreadKinds; ++k) counted[k] = gAllocations[k].load() - start[k];
    }
    std::uint64_t start[kThreadKinds] = {};
    std::uint64_t counted[kThreadKinds] = {};
};

// Threads created while this lives are of `kind`.
struct CreatingThreads {
    explicit CreatingThreads(ThreadKind kind) { gCreatingKind.store(kind); }
    ~CreatingThreads() { gCreatingKind.store(kOtherThread); }
};

struct ThreadStart {
    void* (*routine)(void*);
    void* argument;
    int kind;
};

}  // namespace

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);

void* malloc(std::size_t size) noexcept {
    CountAllocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
    CountAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) noexcept {
    CountAllocation();
    return __libc_realloc(p, size);
}
void free(void* p) noexcept {
    __libc_free(p);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    CountAllocation();
    return __libc_memalign(alignment, size);
}
void* memalign(std::size_t alignment, std::size_t size) noexcept {
    CountAllocation();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** p, std::size_t alignment, std::size_t size) noexcept {
    CountAllocation();
    *p = __libc_memalign(alignment, size);
    return *p != nullptr ? 0 : ENOMEM;
}

static void* StartCountedThread(void* start) {
    const ThreadStart copy = *static_cast<ThreadStart*>(start);
    __libc_free(start);
    tThreadKind = copy.kind;
    return copy.routine(copy.argument);
}

int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*routine)(void*),
                   void* argument) noexcept {
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto create = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    auto* start = static_cast<ThreadStart*>(__libc_malloc(sizeof(ThreadStart)));
    if (start == nullptr)
        return EAGAIN;
    *start = {routine, argument, gCreatingKind.load()};
    const int result = create(thread, attributes, &StartCountedThread, start);
    if (result != 0)
        __libc_free(start);
    return result;
}
}

namespace {

using lgcset::ui::ScriptedMessageBoxes;
using lgcset::ui::Tfrm_mset;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kBaud = 115200;
constexpr lgcset::sim::CivilTime kLogEnd{2026, 3, 10, 12, 0, 0};

lgcset::sim::Options LogOptions(std::uint32_t baud, std::uint32_t records) {
    lgcset::sim::Options options;
    options.model = "R481";
    options.historyEnd = kLogEnd;
    options.logIntervalMinutes = 1;
    options.historyRecords = records;
    options.faults.baud = baud;
    return options;
}

std::size_t WireSize(std::uint8_t command, const std::vector<std::uint8_t>& payload) {
    return lgcset::protocol::EscapeFrame(lgcset::protocol::BuildFrame(command, payload)).size();
}

// Bytes of one whole fetch on the line, both ways: the count, every record, the end.
std::size_t FetchBytes(const lgcset::sim::Options& options) {
    const lgcset::sim::HistoryLog log(lgcset::sim::LayoutForModel(options.model),
                                      lgcset::sim::ToSeconds(kLogEnd), options.logIntervalMinutes,
                                      options.days, options.historyRecords);
    const std::uint32_t n = log.size();
    std::size_t bytes =
        WireSize(0x15, {26, 3, 1, 26, 3, 31}) +
        WireSize(0x15, {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8)});
    std::vector<std::uint8_t> record;
    for (std::uint32_t k = 1; k <= n; ++k) {
        bytes += WireSize(0x16, {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8)});
        record.clear();
        log.AppendRecord(k - 1, record);
        bytes += WireSize(0x16, record);
    }
    return bytes + WireSize(0x16, {0, 0}) + WireSize(0x16, {1});
}

// The window, logged in to a simulated logger; a fetch runs until the query is idle again.
class Bench : public Tfrm_mset {
  public:
    Bench(std::uint32_t baud, std::uint32_t records) : logger_(LogOptions(baud, records)) {
        SetMessageBoxes(&boxes_);
        // No question of a fetch is answered Yes: the export's "open the file?" ones least.
        boxes_.SetDefaultAnswer(false);
        // A box before the transfer has ended (a timeout, an undefined item) ends the
        // fetch as failed; the export's boxes come once the query is idle.
        boxes_.SetWhileOpen([this](const ScriptedMessageBoxes::Box& box) {
            lastBox_ = box.text;
            if (!fetching_ ||
                HistoryQueryState().state() != lgcset::data::HistoryQuery::State::Idle)
                loop_.quit();
        });
        OpenExportedFile = [this](const QString&) {
            ++opened_;
            return 0;
        };
        if (!folder_.isValid()) {
            error_ = "no temporary folder";
            return;
        }
        ExportFolders = {folder_.path().toStdString()};
        std::string error;
        bool started = false;
        {
            CreatingThreads logger(kLoggerThread);
            started = logger_.StartOnPseudoTerminal(&error);
        }
        if (!started) {
            error_ = "simulator: " + error;
            return;
        }
        cbox_com->setEditText(QString::fromStdString(logger_.slavePath()));
        {
            CreatingThreads link(kLinkThread);
            btn8Click();
        }
        QTimer::singleShot(0, btn7, [this] { btn7->click(); });
        loop_.exec();
        if (!LinkOpen() || lastBox_ != QStringLiteral("Login success."))
            error_ = "no login";
        DateTimePicker1->setDate(QDate(2026, 3, 1));
        DateTimePicker2->setDate(QDate(2026, 3, 31));
    }
    ~Bench() override { SetMessageBoxes(nullptr); }

    void DispatchResponse(const lgcset::protocol::ReceivedFrame& frame) override {
        using State = lgcset::data::HistoryQuery::State;
        const auto start = Clock::now();
        const bool closing = fetching_ && HistoryQueryState().state() == State::Ending;
        if (closing) {  // the fetch ends here; what follows is the export
            fetchEnd_ = start;
            counting_.Stop();
        }
        Tfrm_mset::DispatchResponse(frame);
        const auto end = Clock::now();
        if (closing)
            exportSeconds_ = std::chrono::duration<double>(end - start).count();
        else
            dispatchSeconds_ += std::chrono::duration<double>(end - start).count();
        ++dispatched_;
        if (fetching_ && HistoryQueryState().state() == State::Idle) {
            fetching_ = false;
            loop_.quit();
        }
    }

    struct FetchResult {
        int received = -1;         // records in the store, or -1 when the fetch went wrong
        double seconds = 0;        // from the click to the closing reply
        double exportSeconds = 0;  // the export the closing reply started
        std::uint64_t windowAllocations = 0;  // on the window's thread
        std::uint64_t linkAllocations = 0;    // on the link's reader and writer threads
        std::string error;
    };

    // One whole fetch and its export.
    FetchResult Fetch() {
        FetchResult result;
        boxes_.Clear();
        opened_ = 0;
        exportSeconds_ = 0;
        fetching_ = true;
        Clock::time_point start;
        QTimer::singleShot(0, Button1, [this, &start] {
            start = Clock::now();
            counting_.Start();
            Button1->click();
        });
        loop_.exec();
        if (fetching_) {  // left by something else than the end of the transfer
            fetching_ = false;
            counting_.Stop();
            result.error = "the fetch did not end: " + lastBox_.toStdString();
            return result;
        }
        result.seconds = std::chrono::duration<double>(fetchEnd_ - start).count();
        result.exportSeconds = exportSeconds_;
        result.windowAllocations = counting_.counted[kWindowThread];
        result.linkAllocations = counting_.counted[kLinkThread];
        // The export's boxes and nothing else: the files saved, then the two questions.
        const auto& boxes = boxes_.Boxes();
        const bool saved = boxes.size() == 3 &&
                           boxes[0].text.startsWith(QStringLiteral("Historical Data Saved")) &&
                           boxes[1].kind == ScriptedMessageBoxes::Kind::OkCancel &&
                           boxes[2].kind == ScriptedMessageBoxes::Kind::OkCancel;
        if (!saved || opened_ != 0) {
            result.error = boxes.empty() ? "no export" : boxes.front().text.toStdString();
            return result;
        }
        result.received = lbl4->text().toInt();
        RemoveExportedFiles();
        return result;
    }

    // Mean time from a reply's last byte to the next request handed to the writer, in µs.
    double TakeDispatchMicros() {
        const double mean = dispatched_ > 0 ? 1e6 * dispatchSeconds_ / dispatched_ : 0.0;
        dispatchSeconds_ = 0;
        dispatched_ = 0;
        return mean;
    }
    const std::string& error() const { return error_; }

  private:
    void RemoveExportedFiles() {
        QDir folder(folder_.path());
        for (const QString& name : folder.entryList(QDir::Files)) folder.remove(name);
    }

    lgcset::sim::Simulator logger_;
    ScriptedMessageBoxes boxes_;
    QTemporaryDir folder_;
    QEventLoop loop_;
    QString lastBox_;
    bool fetching_ = false;
    int opened_ = 0;
    CountAllocations counting_;
    Clock::time_point fetchEnd_;
    double exportSeconds_ = 0;
    double dispatchSeconds_ = 0;
    std::uint64_t dispatched_ = 0;
    std::string error_;
};

void BM_HistoryFetch(benchmark::State& state) {
    const auto baud = lgcset::bench::Baud(static_cast<std::uint32_t>(state.range(0)));
    const auto records = lgcset::bench::Records(static_cast<std::uint32_t>(state.range(1)));
    Bench window(baud, records);
    if (!window.error().empty()) {
        state.SkipWithError(window.error().c_str());
        return;
    }
    const std::size_t bytes = FetchBytes(LogOptions(baud, records));
    window.TakeDispatchMicros();
    double seconds = 0;
    double exportSeconds = 0;
    std::uint64_t windowAllocations = 0;
    std::uint64_t linkAllocations = 0;
    for (auto _ : state) {
        const Bench::FetchResult fetch = window.Fetch();
        if (fetch.received != static_cast<int>(records)) {
            state.SkipWithError(
                ("fetched " + std::to_string(fetch.received) + ", " + fetch.error).c_str());
            return;
        }
        state.SetIterationTime(fetch.seconds);
        seconds += fetch.seconds;
        exportSeconds += fetch.exportSeconds;
        windowAllocations += fetch.windowAllocations;
        linkAllocations += fetch.linkAllocations;
    }
    const double iterations = static_cast<double>(state.iterations());
    const double fetched = iterations * records;
    state.counters["records_per_s"] = fetched / seconds;
    state.counters["bytes_per_fetch"] = static_cast<double>(bytes);
    state.counters["gui_allocs_per_record"] = static_cast<double>(windowAllocations) / fetched;
    state.counters["link_allocs_per_record"] = static_cast<double>(linkAllocations) / fetched;
    state.counters["dispatch_us"] = window.TakeDispatchMicros();
    state.counters["export_ms"] = 1e3 * exportSeconds / iterations;
    if (baud > 0) {
        const double lineSeconds = static_cast<double>(bytes) * 10.0 / baud;
        state.counters["line_s_per_fetch"] = lineSeconds;
        state.counters["ratio"] = seconds / iterations / lineSeconds;
    }
}

// The same fetch by a bare client on this thread: it writes each request and reads until
// the reply is complete, nothing else. What the simulated line and the machine allow by
// themselves; the window's ratio reads against this one's.
void BM_BareClientFetch(benchmark::State& state) {
    const auto baud = lgcset::bench::Baud(static_cast<std::uint32_t>(state.range(0)));
    const auto records = lgcset::bench::Records(static_cast<std::uint32_t>(state.range(1)));
    const lgcset::sim::Options options = LogOptions(baud, records);
    lgcset::sim::Simulator logger(options);
    std::string error;
    if (!logger.StartOnPseudoTerminal(&error)) {
        state.SkipWithError(("simulator: " + error).c_str());
        return;
    }
    const int fd = ::open(logger.slavePath().c_str(), O_RDWR | O_NOCTTY);
    termios raw{};
    if (fd < 0 || ::tcgetattr(fd, &raw) != 0) {
        state.SkipWithError("cannot open the line");
        return;
    }
    ::cfmakeraw(&raw);
    ::tcsetattr(fd, TCSANOW, &raw);

    lgcset::protocol::FrameAssembler assembler;
    bool replied = false;
    std::uint16_t count = 0;
    assembler.SetOnFrame([&](const lgcset::protocol::ReceivedFrame& frame) {
        replied = true;
        count = static_cast<std::uint16_t>(frame.payload[0] | frame.payload[1] << 8);
    });
    std::vector<std::uint8_t> frame;
    std::vector<std::uint8_t> stuffed;
    const auto exchange = [&](std::uint8_t command, std::vector<std::uint8_t> payload) {
        lgcset::protocol::BuildFrame(command, payload, frame);
        stuffed.clear();
        lgcset::protocol::EscapeFrame(frame, stuffed);
        if (::write(fd, stuffed.data(), stuffed.size()) != static_cast<ssize_t>(stuffed.size()))
            return false;
        replied = false;
        std::uint8_t buffer[256];
        while (!replied) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0)
                return false;
            assembler.Feed(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)));
        }
        return true;
    };
    double seconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        bool ok = exchange(0x15, {26, 3, 1, 26, 3, 31});
        const std::uint16_t total = count;
        for (std::uint32_t k = 1; ok && k <= total + 1u; ++k) {
            const std::uint32_t number = k <= total ? k : 0;
            ok = exchange(
                0x16, {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8)});
        }
        if (!ok || total != records) {
            state.SkipWithError("the bare fetch failed");
            break;
        }
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(elapsed);
        seconds += elapsed;
    }
    ::close(fd);
    const double iterations = static_cast<double>(state.iterations());
    state.counters["records_per_s"] = iterations * records / seconds;
    if (baud > 0) {
        const double lineSeconds = static_cast<double>(FetchBytes(options)) * 10.0 / baud;
        state.counters["ratio"] = seconds / iterations / lineSeconds;
    }
}

// The history query and its decoder alone, with a host that does nothing: what a record
// costs without the line, and that it allocates nothing.
class QuietHost final : public lgcset::data::HistoryRequests, public lgcset::data::HistoryObserver {
  public:
    void SendHistoryCount(const lgcset::data::QueryRange&) override {}
    void SendHistoryRecord(std::uint16_t) override {}
    void Report(const lgcset::data::HistoryOutcome&) override {}
    bool AskYesNo(const lgcset::data::HistoryOutcome&) override { return false; }
    void ExportHistory() override {}
};

void BM_DecodeReplies(benchmark::State& state) {
    const std::uint32_t records = lgcset::bench::Records<std::uint32_t>(65535);
    const lgcset::sim::Options options = LogOptions(0, records);
    const lgcset::sim::HistoryLog log(lgcset::sim::LayoutForModel(options.model),
                                      lgcset::sim::ToSeconds(kLogEnd), 1, 0, records);
    // Each record once, as a logger sends them: a repeat would be dropped, not stored.
    std::vector<std::vector<std::uint8_t>> replies(records);
    for (std::uint32_t i = 0; i < replies.size(); ++i) log.AppendRecord(i, replies[i]);
    auto store = std::make_unique<lgcset::data::HistoryStore>();
    std::uint16_t count = 0;
    QuietHost host;
    lgcset::data::HistoryQuery query(host, host, *store, count);
    std::uint64_t allocations = 0;
    std::uint64_t decoded = 0;
    for (auto _ : state) {
        query.Start(lgcset::data::MakeQueryRange(2026, 3, 1, 2026, 3, 31));
        query.OnCountReply(static_cast<std::uint16_t>(records));
        CountAllocations counting;
        counting.Start();
        for (std::uint32_t k = 0; k < records; ++k) query.OnRecordReply(replies[k]);
        query.OnRecordReply(replies[0]);  // the closing reply
        counting.Stop();
        allocations += counting.counted[kWindowThread];
        decoded += records;
        benchmark::DoNotOptimize(store->data());
    }
    state.counters["records_per_s"] =
        benchmark::Counter(static_cast<double>(decoded), benchmark::Counter::kIsRate);
    state.counters["allocs_per_record"] =
        static_cast<double>(allocations) / static_cast<double>(decoded);
}

BENCHMARK(BM_HistoryFetch)
    ->Args({kBaud, 2000})
    ->Args({0, 3000})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareClientFetch)
    ->Args({kBaud, 2000})
    ->Args({0, 3000})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeReplies)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    tThreadKind = kWindowThread;
    return lgcset::bench::RunWindowBenchmarks(argc, argv);
}
