// What the window benchmarks share: the window logged in to the simulated logger on a
// pseudo-terminal, with message boxes that answer Yes and end a wait when they open, the
// line time of a paced run, and the main() that runs the benchmarks offscreen.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <benchmark/benchmark.h>

#include "loggersim/simulator.h"
#include "protocol/device_operations.h"
#include "ui/scripted_message_boxes.h"
#include "ui/umset.h"

namespace lgcset::bench {

// The logger's line at 115,200 baud takes 10 bits a byte.
inline constexpr std::uint32_t kBaud = 115200;

// The pure line time of bytes at a baud rate: 10 bits a byte.
inline double LineSeconds(std::size_t bytes, std::uint32_t baud) {
    return static_cast<double>(bytes) * 10.0 / baud;
}

inline QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The box that the window shows when the operation succeeds.
inline QString DoneText(protocol::Operation operation) {
    return Text(protocol::OutcomeMessage({operation, protocol::Result::Done}));
}

class LoggedInWindow : public ui::Tfrm_mset {
  public:
    explicit LoggedInWindow(const sim::Options& options) : logger_(options) {
        SetMessageBoxes(&boxes_);
        boxes_.SetDefaultAnswer(true);
        boxes_.SetWhileOpen([this](const ui::ScriptedMessageBoxes::Box& box) {
            lastBox_ = box.text;
            if (!KeepWaitingAfter(box.text))
                loop_.quit();
        });
        std::string error;
        if (!logger_.StartOnPseudoTerminal(&error)) {
            error_ = "simulator: " + error;
            return;
        }
        cbox_com->setEditText(QString::fromStdString(logger_.slavePath()));
        btn8Click();
        if (!LinkOpen() || Click(btn7) != DoneText(protocol::Operation::Login))
            error_ = "no login";
    }
    ~LoggedInWindow() override { SetMessageBoxes(nullptr); }

    // Clicks the button and runs the event loop until a box ends the wait or Quit() is
    // called; the text of the last box shown (empty when none was).
    QString Click(QPushButton* button) {
        lastBox_.clear();
        QTimer::singleShot(0, button, [button] { button->click(); });
        loop_.exec();
        return lastBox_;
    }
    void Quit() { loop_.quit(); }

    // Empty once logged in.
    const std::string& error() const { return error_; }
    const QString& lastBox() const { return lastBox_; }

  protected:
    // A box after which the operation goes on, so the wait does not end there.
    virtual bool KeepWaitingAfter(const QString& /*box*/) const { return false; }

  private:
    sim::Simulator logger_;
    ui::ScriptedMessageBoxes boxes_;
    QEventLoop loop_;
    QString lastBox_;
    std::string error_;
};

// main() of a window benchmark: offscreen unless a platform is named.
inline int RunWindowBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace lgcset::bench
