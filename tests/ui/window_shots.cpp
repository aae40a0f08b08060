// Shows the window on the current display and saves a picture of the screen for each
// visible tab, for looking at the layout: window_shots <output prefix> [status text], the
// text shown in the status bar's third panel.
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QThread>

#include "ui/app_title.h"
#include "ui/umset.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(lgcset::ui::kApplicationTitle));
    const QString prefix = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("window");
    lgcset::ui::Tfrm_mset window;
    window.show();
    if (argc > 2)
        window.SetStatusText(QString::fromLocal8Bit(argv[2]));
    for (int tab = 0; tab < window.PageControl1->count(); ++tab) {
        if (!window.PageControl1->isTabVisible(tab))
            continue;
        window.PageControl1->setCurrentIndex(tab);
        for (int i = 0; i < 20; ++i) {
            QApplication::processEvents();
            QThread::msleep(25);
        }
        window.screen()->grabWindow(0).save(prefix + QStringLiteral("-%1.png").arg(tab + 1));
    }
    return 0;
}
