// The user's steps on a window whose link is open: log in, read, save, each waiting for the
// message that ends it. Shared by the tests on the in-process simulated logger and those on
// a COM port.
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <cstddef>
#include <functional>
#include <string>

#include "ui_test_support.h"

namespace lgcset::ui::e2e {

using test::TestWindow;
using test::WaitFor;

inline const QString kLoginSuccess = QStringLiteral("Login success.");
inline const QString kLoginFailure =
    QStringLiteral("Login failure! Please enter the device password correctly.");
inline const QString kReadDone = QStringLiteral("Uploading device parameters successfully.");
inline const QString kSaved = QStringLiteral("saved successfully.");
inline const QString kTimeout = QStringLiteral("Send command timeout");
inline const QString kExportSaved =
    QStringLiteral("Historical Data Saved as Excel file and CSV file success.");

// What the window says when the port goes away under an open link.
inline QString Disconnected(const std::string& port) {
    return QStringLiteral(
               "The serial port %1 has been disconnected. The link is closed; open it again "
               "once the port is back.")
        .arg(QString::fromStdString(port));
}

// Short enough to keep the suite quick, long enough that a loaded machine answers within
// it (a reply after a re-send would be taken twice).
constexpr int kResendMs = 1000;

inline int CountBoxes(const TestWindow& w, const QString& text) {
    int count = 0;
    for (const auto& box : w.boxes.Boxes()) count += box.text == text ? 1 : 0;
    return count;
}

// Waits until the window has shown `text` `count` times in all.
inline bool WaitForBox(const TestWindow& w, const QString& text, int count = 1,
                       int milliseconds = 8000) {
    return WaitFor([&] { return CountBoxes(w, text) >= count; }, milliseconds);
}

inline bool LogIn(TestWindow& w, const std::string& password = "8604") {
    const int before = CountBoxes(w, kLoginSuccess) + CountBoxes(w, kLoginFailure);
    w.edt_setpwd->setText(QString::fromStdString(password));
    w.btn7->click();
    WaitFor([&] { return CountBoxes(w, kLoginSuccess) + CountBoxes(w, kLoginFailure) > before; });
    // The login's own answer: what it starts (a write held for this logger) may box after it.
    const auto& boxes = w.boxes.Boxes();
    for (auto box = boxes.rbegin(); box != boxes.rend(); ++box)
        if (box->text == kLoginSuccess || box->text == kLoginFailure)
            return box->text == kLoginSuccess;
    return false;
}

inline bool ReadSettings(TestWindow& w) {
    const int before = CountBoxes(w, kReadDone);
    w.btn_load->click();
    return WaitForBox(w, kReadDone, before + 1);
}

// Runs `start`, which ends in a write, and waits until the logger has answered the closing
// request as well.
inline bool WaitForWrite(TestWindow& w, const std::function<void()>& start) {
    const int before = CountBoxes(w, kSaved);
    const std::size_t replies = w.dispatched.size();
    start();
    if (!WaitForBox(w, kSaved, before + 1))
        return false;
    return WaitFor([&] {
        for (std::size_t i = replies; i < w.dispatched.size(); ++i)
            if (w.dispatched[i].command() == 0x13)
                return true;
        return false;
    });
}

inline bool SaveSettings(TestWindow& w) {
    return WaitForWrite(w, [&] { w.btn_down->click(); });
}

}  // namespace lgcset::ui::e2e
