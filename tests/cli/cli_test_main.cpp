// The serial port delivers its events through a Qt event loop: one application object for
// the whole run.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
