// Defined as libstdc++ for MinGW defines it, so that either may come first.
#define NOMINMAX 1
#include <windows.h>

#include <shellapi.h>
#include <QDir>
#include <QProcess>

#include "ui/desktop_open.h"

namespace lgcset::ui {

namespace {

// ShellExecute's "file not found", for an opener program that cannot be started.
constexpr int kNoOpener = 2;

}  // namespace

QString DefaultDesktopOpener() {
    return {};
}

int OpenWithDesktop(const QString& opener, const QString& path) {
    if (!opener.isEmpty())
        return QProcess::startDetached(opener, {path}) ? 0 : kNoOpener;
    const std::wstring file = QDir::toNativeSeparators(path).toStdWString();
    // The application it starts runs on its own; ShellExecute returns once it is asked.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32 ? 0 : static_cast<int>(result);
}

}  // namespace lgcset::ui
