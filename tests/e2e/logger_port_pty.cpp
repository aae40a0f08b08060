// On Linux the logger of the COM-port tests runs inside the test, on a pseudo-terminal.
#include <iterator>
#include <vector>

#include "logger_port.h"
#include "loggersim/command_line.h"
#include "loggersim/simulator.h"

namespace lgcset::ui::e2e {

namespace {

class PtyLogger : public LoggerPort {
  public:
    explicit PtyLogger(sim::Options options) : logger_(std::move(options)) {}
    bool Start(std::string& why) { return logger_.StartOnPseudoTerminal(&why); }
    std::string Port() const override { return logger_.slavePath(); }

  private:
    sim::Simulator logger_;
};

}  // namespace

std::unique_ptr<LoggerPort> StartLoggerPort(std::string& why) {
    const sim::CommandLine line = sim::ParseCommandLine(
        std::vector<std::string>(std::begin(kComLoggerArguments), std::end(kComLoggerArguments)));
    if (!line.error.empty()) {
        why = line.error;
        return nullptr;
    }
    auto logger = std::make_unique<PtyLogger>(line.options);
    if (!logger->Start(why))
        return nullptr;
    return logger;
}

}  // namespace lgcset::ui::e2e
