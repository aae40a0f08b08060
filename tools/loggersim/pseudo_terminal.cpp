#include "loggersim/pseudo_terminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace lgcset::sim {

namespace {
std::string Describe(const char* step) {
    return std::string(step) + ": " + std::strerror(errno);
}
}  // namespace

std::optional<PseudoTerminal> PseudoTerminal::Open(std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error != nullptr) {
            *error = why;
        }
        return std::nullopt;
    };

    PseudoTerminal pty;
    // Close-on-exec from the start: the configurator runs the simulator in its own process
    // (demo mode), where another thread may start a program at any moment.
    pty.master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty.master_ < 0) {
        return fail(Describe("posix_openpt"));
    }
    if (grantpt(pty.master_) != 0) {
        return fail(Describe("grantpt"));
    }
    if (unlockpt(pty.master_) != 0) {
        return fail(Describe("unlockpt"));
    }
    char name[256];
    if (ptsname_r(pty.master_, name, sizeof name) != 0) {
        return fail(Describe("ptsname_r"));
    }
    pty.slavePath_ = name;

    // Our own slave descriptor: the line settings live on the slave side, and while it is
    // open the master never reads a hang-up when the configurator closes the port.
    pty.slaveKeepOpen_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty.slaveKeepOpen_ < 0) {
        return fail(Describe("open slave"));
    }
    termios tio{};
    if (tcgetattr(pty.slaveKeepOpen_, &tio) != 0) {
        return fail(Describe("tcgetattr"));
    }
    cfmakeraw(&tio);  // no echo, no line editing, no output processing, 8 bits
    tio.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&tio, B115200);
    cfsetospeed(&tio, B115200);
    if (tcsetattr(pty.slaveKeepOpen_, TCSANOW, &tio) != 0) {
        return fail(Describe("tcsetattr"));
    }

    const int flags = fcntl(pty.master_, F_GETFL);
    if (flags < 0 || fcntl(pty.master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        return fail(Describe("fcntl master"));
    }
    return std::optional<PseudoTerminal>(std::move(pty));
}

PseudoTerminal::PseudoTerminal(PseudoTerminal&& other) noexcept
    : master_(std::exchange(other.master_, -1)),
      slaveKeepOpen_(std::exchange(other.slaveKeepOpen_, -1)),
      slavePath_(std::move(other.slavePath_)) {}

PseudoTerminal& PseudoTerminal::operator=(PseudoTerminal&& other) noexcept {
    if (this != &other) {
        Close();
        master_ = std::exchange(other.master_, -1);
        slaveKeepOpen_ = std::exchange(other.slaveKeepOpen_, -1);
        slavePath_ = std::move(other.slavePath_);
    }
    return *this;
}

PseudoTerminal::~PseudoTerminal() {
    Close();
}

int PseudoTerminal::ReleaseMaster() {
    return std::exchange(master_, -1);
}

void PseudoTerminal::Close() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
    if (slaveKeepOpen_ >= 0) {
        ::close(slaveKeepOpen_);
        slaveKeepOpen_ = -1;
    }
}

}  // namespace lgcset::sim
