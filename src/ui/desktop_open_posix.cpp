#include <QProcess>

#include "ui/desktop_open.h"

namespace lgcset::ui {

namespace {

// xdg-open's own code when a tool it needs cannot be found; here: the opener cannot be
// started at all.
constexpr int kNoOpener = 3;

}  // namespace

QString DefaultDesktopOpener() {
    return QStringLiteral("xdg-open");
}

int OpenWithDesktop(const QString& opener, const QString& path) {
    return QProcess::startDetached(opener, {path}) ? 0 : kNoOpener;
}

}  // namespace lgcset::ui
