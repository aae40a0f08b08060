// A whole "Read Settings" and a whole "Save Settings" of the window against the simulated
// logger on a pseudo-terminal, from the click to the closing message (a save also waits for
// the reply to its closing request).
//
// Paced at 115,200 baud the logger's line takes 10 bits a byte in each direction; the
// counter `ratio` is the time of the operation over the pure line time of the bytes
// exchanged both ways (1.0 would be a line that never idles). Unpaced, the time is what the
// program and the pseudo-terminal cost by themselves.
#include <QCheckBox>
#include <chrono>
#include <cstdint>

#include "protocol/command_codes.h"
#include "short_run.h"
#include "window_bench.h"

namespace {

using lgcset::bench::DoneText;
using Clock = std::chrono::steady_clock;

// A save waits for the reply to its closing request, which goes out after its last box.
class Bench : public lgcset::bench::LoggedInWindow {
  public:
    // The write itself is measured: the review's read and dialog are not part of it.
    explicit Bench(std::uint32_t baud) : LoggedInWindow(Options(baud)) {
        chk_review->setChecked(false);
    }

    void DispatchResponse(const lgcset::protocol::ReceivedFrame& frame) override {
        LoggedInWindow::DispatchResponse(frame);
        if (waitForFinish_ &&
            frame.command() == lgcset::protocol::code(lgcset::protocol::Command::FinishWrite))
            Quit();
    }

    // Clicks the button and runs the event loop until the operation has ended; the text of
    // the last box shown.
    QString Run(QPushButton* button, bool untilFinish) {
        waitForFinish_ = untilFinish;
        return Click(button);
    }

    // Bytes on the line both ways since the last call, as the port counts them (the
    // traffic log gathers its text and shows it later, so it cannot be counted on).
    std::size_t TakeLineBytes() {
        const std::uint64_t total = cm1.BytesSent() + cm1.BytesReceived();
        const auto taken = static_cast<std::size_t>(total - counted_);
        counted_ = total;
        return taken;
    }

  protected:
    bool KeepWaitingAfter(const QString& box) const override {
        return waitForFinish_ && box == DoneText(lgcset::protocol::Operation::SaveSettings);
    }

  private:
    static lgcset::sim::Options Options(std::uint32_t baud) {
        lgcset::sim::Options options;
        options.faults.baud = baud;
        return options;
    }

    bool waitForFinish_ = false;
    std::uint64_t counted_ = 0;
};

void Transfer(benchmark::State& state, bool save) {
    const auto baud = lgcset::bench::Baud(static_cast<std::uint32_t>(state.range(0)));
    Bench window(baud);
    if (!window.error().empty()) {
        state.SkipWithError(window.error().c_str());
        return;
    }
    QPushButton* button = save ? window.btn_down : window.btn_load;
    const QString done = DoneText(save ? lgcset::protocol::Operation::SaveSettings
                                       : lgcset::protocol::Operation::ReadSettings);
    window.TakeLineBytes();
    double seconds = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const QString last = window.Run(button, save);
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (last != done) {
            state.SkipWithError(("ended with: " + last.toStdString()).c_str());
            return;
        }
        state.SetIterationTime(elapsed);
        seconds += elapsed;
        bytes += window.TakeLineBytes();
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["ms_per_op"] = 1000.0 * seconds / iterations;
    state.counters["bytes_per_op"] = static_cast<double>(bytes) / iterations;
    if (baud > 0) {
        const double lineSeconds = lgcset::bench::LineSeconds(bytes, baud);
        state.counters["line_ms_per_op"] = 1000.0 * lineSeconds / iterations;
        state.counters["ratio"] = seconds / lineSeconds;
    }
}

void BM_ReadSettings(benchmark::State& state) {
    Transfer(state, false);
}
void BM_SaveSettings(benchmark::State& state) {
    Transfer(state, true);
}

BENCHMARK(BM_ReadSettings)
    ->Arg(lgcset::bench::kBaud)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveSettings)
    ->Arg(lgcset::bench::kBaud)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return lgcset::bench::RunWindowBenchmarks(argc, argv);
}
