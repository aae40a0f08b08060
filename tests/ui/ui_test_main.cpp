// Widget tests (the window alone, and the window against the simulated logger) need one
// application object for the whole run, gone before the program ends.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char* argv[]) {
    // Nothing is shown on a screen; listing the tests needs no display either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
