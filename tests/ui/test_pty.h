// A pseudo-terminal whose far end the test holds: the window's side of the line with the
// test as the logger. POSIX only; a Windows program cannot open one.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace lgcset::ui::test {

// A pseudo-terminal: the window opens the slave by its path, the test reads and writes
// the master.
class Pty {
  public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
            const char* name = ::ptsname(master_);
            if (name != nullptr)
                slavePath_ = name;
            ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        }
    }
    ~Pty() { CloseMaster(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool Ok() const { return master_ >= 0 && !slavePath_.empty(); }
    // The far end goes away, as a cable pulled out: the window's side sees a hang-up.
    void CloseMaster() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }
    const std::string& SlavePath() const { return slavePath_; }

    // Everything the window has written so far, appended to Received().
    const std::vector<std::uint8_t>& Drain() {
        std::uint8_t buffer[512];
        for (;;) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            received_.insert(received_.end(), buffer, buffer + n);
        }
        return received_;
    }
    const std::vector<std::uint8_t>& Received() const { return received_; }

    void Write(const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
    }

  private:
    int master_ = -1;
    std::string slavePath_;
    std::vector<std::uint8_t> received_;
};

}  // namespace lgcset::ui::test
