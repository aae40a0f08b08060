// Defined as libstdc++ for MinGW defines it, so that either may come first.
#define NOMINMAX 1
#include <windows.h>

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstdio>

#include "app/platform_start.h"

namespace lgcset::app {

namespace {

// A handle redirected to a file or pipe is kept: only one that goes nowhere is replaced.
bool Unset(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE;
}

}  // namespace

void UseParentConsole() {
    const bool out = Unset(STD_OUTPUT_HANDLE);
    const bool err = Unset(STD_ERROR_HANDLE);
    if ((!out && !err) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (out)
        std::freopen("CONOUT$", "w", stdout);
    if (err)
        std::freopen("CONOUT$", "w", stderr);
}

void UseSystemFontsOffscreen() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR"))
        return;
    wchar_t windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    const QString fonts = QString::fromWCharArray(windows, static_cast<qsizetype>(length)) +
                          QStringLiteral("\\Fonts");
    qputenv("QT_QPA_FONTDIR", fonts.toLocal8Bit());
}

}  // namespace lgcset::app
