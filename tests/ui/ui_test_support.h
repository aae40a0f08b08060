// Shared pieces of the window tests: the application object, waiting with the event loop
// running, and a window with scripted message boxes that records the replies it is given.
// The pseudo-terminal whose far end a test holds is in test_pty.h.
#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QThread>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/ui/scripted_message_boxes.h"
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
    // "Save Settings" writes at once unless a test reviews the write.
    window->chk_review->setChecked(false);
    return window;
}

// Opens the device link on the given path through the Open button.
inline bool OpenLink(TestWindow& window, const std::string& path) {
    window.cbox_com->setEditText(QString::fromStdString(path));
    window.btn8Click();
    return window.LinkOpen();
}

}  // namespace lgcset::ui::test
