#include <QCoreApplication>
#include <gtest/gtest.h>

// The shared operations need no windows: a core application for the timers
// of the data module's transactions.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
