// A pseudo-terminal pair for the simulated logger: the simulator serves the master side,
// the configurator opens the slave path as if it were a serial port.
#pragma once

#include <optional>
#include <string>

namespace lgcset::sim {

class PseudoTerminal {
  public:
    // Opens a master (O_RDWR | O_NOCTTY, non-blocking), grants and unlocks its slave, puts
    // the slave in raw mode without echo and keeps one slave descriptor open, so the master
    // sees no hang-up while the configurator closes and reopens the port. On failure returns
    // nothing and, when `error` is given, says why.
    static std::optional<PseudoTerminal> Open(std::string* error = nullptr);

    PseudoTerminal(PseudoTerminal&& other) noexcept;
    PseudoTerminal& operator=(PseudoTerminal&& other) noexcept;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal();

    int master() const { return master_; }
    // The slave descriptor kept open by this object (not the configurator's).
    int keptSlave() const { return slaveKeepOpen_; }
    const std::string& slavePath() const { return slavePath_; }

    // Hands the master descriptor over (to a Simulator, which closes it); -1 stays here.
    int ReleaseMaster();

  private:
    PseudoTerminal() = default;
    void Close();

    int master_ = -1;
    int slaveKeepOpen_ = -1;
    std::string slavePath_;
};

}  // namespace lgcset::sim
