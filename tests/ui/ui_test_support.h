// Shared pieces of the window tests: the application object, waiting with the event loop
// running, a pseudo-terminal whose far end the test holds, and a window with scripted
// message boxes that records the replies it is given.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QThread>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/scripted_message_boxes.h"
#include "ui/umset.h"

namespace lgcset::ui::test {

// The application object made by the test program's main().
inline QApplication& App() {
    return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

// Runs the event loop until done() or the time is up; returns done().
inline bool WaitFor(const std::function<bool()>& done, int milliseconds = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// Runs the event loop for a while.
inline void Pump(int milliseconds) {
    WaitFor([] { return false; }, milliseconds);
}

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

// The window with scripted boxes; every reply handed to the dispatcher is kept.
class TestWindow : public Tfrm_mset {
  public:
    TestWindow() { SetMessageBoxes(&boxes); }
    ~TestWindow() override { SetMessageBoxes(nullptr); }

    void DispatchResponse(const protocol::ReceivedFrame& frame) override {
        dispatched.push_back(frame);
        Tfrm_mset::DispatchResponse(frame);
    }

    ScriptedMessageBoxes boxes;
    std::vector<protocol::ReceivedFrame> dispatched;
};

inline std::unique_ptr<TestWindow> MakeWindow() {
    App();
    auto window = std::make_unique<TestWindow>();
    window->boxes.SetDefaultAnswer(true);  // "Exit?" at teardown
    return window;
}

// Opens the device link on the given path through the Open button.
inline bool OpenLink(TestWindow& window, const std::string& path) {
    window.cbox_com->setEditText(QString::fromStdString(path));
    window.btn8Click();
    return window.LinkOpen();
}

}  // namespace lgcset::ui::test
