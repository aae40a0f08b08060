// A whole "Read Settings" and a whole "Save Settings" of the window against the simulated
// logger on a pseudo-terminal, from the click to the closing message (a save also waits for
// the reply to its closing request).
//
// Paced at 115,200 baud the logger's line takes 10 bits a byte in each direction; the
// counter `ratio` is the time of the operation over the pure line time of the bytes
// exchanged both ways (1.0 would be a line that never idles). Unpaced, the time is what the
// program and the pseudo-terminal cost by themselves.
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "loggersim/simulator.h"
#include "ui/scripted_message_boxes.h"
#include "ui/umset.h"

namespace {

using lgcset::ui::ScriptedMessageBoxes;
using lgcset::ui::Tfrm_mset;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kBaud = 115200;
constexpr std::uint8_t kFinishWriteCode = 0x13;

// The window, logged in to a simulated logger, with boxes that end a wait when they open.
class Bench : public Tfrm_mset {
  public:
    explicit Bench(std::uint32_t baud) : logger_(Options(baud)) {
        SetMessageBoxes(&boxes_);
        boxes_.SetDefaultAnswer(true);
        boxes_.SetWhileOpen([this](const ScriptedMessageBoxes::Box& box) {
            lastBox_ = box.text;
            if (waitForFinish_ && box.text == QStringLiteral("saved successfully."))
                return;  // the closing request goes out after this box
            loop_.quit();
        });
        std::string error;
        ok_ = logger_.StartOnPseudoTerminal(&error);
        if (!ok_) {
            error_ = "simulator: " + error;
            return;
        }
        cbox_com->setEditText(QString::fromStdString(logger_.slavePath()));
        btn8Click();
        ok_ = LinkOpen() && Run(btn7, false) == QStringLiteral("Login success.");
        if (!ok_)
            error_ = "no login";
    }
    ~Bench() override { SetMessageBoxes(nullptr); }

    void DispatchResponse(const lgcset::protocol::ReceivedFrame& frame) override {
        Tfrm_mset::DispatchResponse(frame);
        if (waitForFinish_ && frame.command() == kFinishWriteCode)
            loop_.quit();
    }

    // Clicks the button and runs the event loop until the operation has ended; the text of
    // the last box shown.
    QString Run(QPushButton* button, bool untilFinish) {
        waitForFinish_ = untilFinish;
        lastBox_.clear();
        QTimer::singleShot(0, button, [button] { button->click(); });
        loop_.exec();
        return lastBox_;
    }

    // Bytes on the line both ways since the last call: the traffic log shows each byte as
    // a space and two hexadecimal digits.
    std::size_t TakeLineBytes() {
        const auto count = [](QPlainTextEdit* memo) {
            const auto n = static_cast<std::size_t>(memo->toPlainText().count(QLatin1Char(' ')));
            memo->clear();
            return n;
        };
        return count(mmo1) + count(mmo2);
    }

    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }

  private:
    static lgcset::sim::Options Options(std::uint32_t baud) {
        lgcset::sim::Options options;
        options.faults.baud = baud;
        return options;
    }

    lgcset::sim::Simulator logger_;
    ScriptedMessageBoxes boxes_;
    QEventLoop loop_;
    QString lastBox_;
    bool waitForFinish_ = false;
    bool ok_ = false;
    std::string error_;
};

void Transfer(benchmark::State& state, bool save) {
    const auto baud = static_cast<std::uint32_t>(state.range(0));
    Bench window(baud);
    if (!window.ok()) {
        state.SkipWithError(window.error().c_str());
        return;
    }
    QPushButton* button = save ? window.btn_down : window.btn_load;
    const QString done = save ? QStringLiteral("saved successfully.")
                              : QStringLiteral("Uploading device parameters successfully.");
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
        const double lineSeconds = static_cast<double>(bytes) * 10.0 / baud;
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

BENCHMARK(BM_ReadSettings)->Arg(kBaud)->Arg(0)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveSettings)->Arg(kBaud)->Arg(0)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
