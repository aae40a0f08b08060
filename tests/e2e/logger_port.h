// The simulated logger the COM-port tests talk to, on a port the window opens by name. On
// Linux it runs inside the test on a pseudo-terminal (logger_port_pty.cpp); under Wine it is
// the Linux loggersim on a pseudo-terminal that the Wine prefix maps to a COM port
// (logger_port_wine.cpp, run by window_exe_test.py). Either way it is started with
// kComLoggerArguments, and one logger may serve every test of the run.
#pragma once

#include <memory>
#include <string>

namespace lgcset::ui::e2e {

// loggersim's options for these tests; window_exe_test.py passes the same.
inline constexpr const char* kComLoggerArguments[] = {
    "--model=R481", "--history-end=2026-11-20 12:00", "--records=300", "--log-interval=10"};
inline constexpr int kComLoggerRecords = 300;

class LoggerPort {
  public:
    virtual ~LoggerPort() = default;
    // The name the window's port box takes: a device path, or COMn.
    virtual std::string Port() const = 0;
};

// The logger, ready; null with `why` set when there is none.
std::unique_ptr<LoggerPort> StartLoggerPort(std::string& why);

}  // namespace lgcset::ui::e2e
