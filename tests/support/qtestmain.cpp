// Test entry for programs that need a QApplication (widgets, sockets, timers).
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quellan");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
