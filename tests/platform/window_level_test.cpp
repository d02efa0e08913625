#include "window_level.h"

#include <QDialog>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

TEST(WindowLevel, DefaultsFollowTheKindOfWindow)
{
    QWidget plain;
    QDialog modal;
    modal.setModal(true);
    EXPECT_EQ(WindowLevel::of(&plain), WindowLevel::normal);
    EXPECT_EQ(WindowLevel::of(&modal), WindowLevel::modalPanel);
    EXPECT_EQ(WindowLevel::of(nullptr), WindowLevel::normal);
    EXPECT_GT(WindowLevel::launcher, WindowLevel::mainMenu);
    EXPECT_GT(WindowLevel::launcher, WindowLevel::modalPanel);
}

TEST(WindowLevel, LevelsAboveNormalKeepTheWindowOnTop)
{
    QWidget window;
    WindowLevel::set(&window, WindowLevel::launcher);
    EXPECT_EQ(WindowLevel::of(&window), WindowLevel::launcher);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    WindowLevel::set(&window, WindowLevel::normal);
    EXPECT_EQ(WindowLevel::of(&window), WindowLevel::normal);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

// Lowering the shown launcher for a panel must not take it off the screen.
TEST(WindowLevel, ChangingTheLevelOfAShownWindowKeepsItShown)
{
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    WindowLevel::set(&window, WindowLevel::launcher);
    window.show();
    ASSERT_TRUE(window.isVisible());
    WindowLevel::set(&window, WindowLevel::normal);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    WindowLevel::set(&window, WindowLevel::launcher);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

} // namespace
