#include <QApplication>

#include <gtest/gtest.h>

// Widget tests need a QApplication; under QT_QPA_PLATFORM=offscreen it needs no display.
int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
