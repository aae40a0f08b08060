// Under Wine the logger of the COM-port tests is the Linux loggersim, started by
// window_exe_test.py on a pseudo-terminal that the Wine prefix maps to the COM port it names
// in LGCSET_E2E_PORT.
#include <cstdlib>

#include "logger_port.h"

namespace lgcset::ui::e2e {

namespace {

class ComLogger : public LoggerPort {
  public:
    explicit ComLogger(std::string port) : port_(std::move(port)) {}
    std::string Port() const override { return port_; }

  private:
    std::string port_;
};

}  // namespace

std::unique_ptr<LoggerPort> StartLoggerPort(std::string& why) {
    const char* port = std::getenv("LGCSET_E2E_PORT");
    if (port == nullptr || *port == '\0') {
        why =
            "LGCSET_E2E_PORT names no COM port: window_exe_test.py runs these tests with "
            "loggersim on one";
        return nullptr;
    }
    return std::make_unique<ComLogger>(port);
}

}  // namespace lgcset::ui::e2e
