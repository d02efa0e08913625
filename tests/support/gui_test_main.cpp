#include "test_environment.h"

#include <QApplication>

#include <gtest/gtest.h>

// Widget tests need a QApplication. They run headless: the offscreen platform
// unless the caller chose another, also when CTest lists the tests at build time.
int main(int argc, char **argv)
{
    fixTestEnvironment();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
