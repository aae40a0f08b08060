// Starts the program: the application with its title, the one window, the event loop.
#include <QApplication>

#include "ui/app_title.h"
#include "ui/umset.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(lgcset::ui::kApplicationTitle));
    lgcset::ui::Tfrm_mset window;
    window.show();
    return QApplication::exec();
}
