#include "test_environment.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

// One QCoreApplication for every test binary, so timers, event loops and
// QStandardPaths behave as in the application.
int main(int argc, char **argv)
{
    fixTestEnvironment();
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
