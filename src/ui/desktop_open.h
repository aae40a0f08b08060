// Hands an exported file to the desktop's application for it, and goes on at once: the
// application runs on its own and the window never waits for it. One file per platform:
// Linux starts an opener program (xdg-open), Windows asks the shell (its file associations).
#pragma once

#include <QString>

namespace lgcset::ui {

// The opener program of the platform; empty on Windows, where the shell opens the file.
QString DefaultDesktopOpener();

// 0 when the file was handed over, otherwise an error code for the user: the opener's when
// it cannot be started, the shell's on Windows (2: no such file, 31: no application for it).
// `opener` empty: the shell's association (Windows only).
int OpenWithDesktop(const QString& opener, const QString& path);

}  // namespace lgcset::ui
