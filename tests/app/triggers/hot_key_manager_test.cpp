#include "fake_input_platform.h"

#include "triggers/hot_key_manager.h"

#include "model/settings.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

namespace {

class HotKeyManagerTest : public ::testing::Test
{
protected:
    FakeKeyGrabber grabber;
    int presses = 0;
    std::function<void()> countPress() { return [this] { ++presses; }; }
};

TEST_F(HotKeyManagerTest, RegisteredPresetFiresItsAction)
{
    HotKeyManager manager(grabber);
    const Settings::HotKeyPreset preset = Settings::HotKeyPreset::optionSpace;
    EXPECT_TRUE(manager.registerKey(preset.keyCode(), preset.modifiers(), countPress()));
    EXPECT_TRUE(manager.isRegistered());
    ASSERT_TRUE(grabber.grabbed);
    EXPECT_EQ(*grabber.grabbed, (QPair<quint32, quint32>(49, 2048)));
    grabber.press(49, 2048);
    grabber.press(49, 0);
    EXPECT_EQ(presses, 1);
}

// A refused registration used to go unnoticed: the settings showed a hot key
// that never fired.
TEST_F(HotKeyManagerTest, RefusedRegistrationIsReportedAsFailed)
{
    LogCapture log;
    grabber.takenByOthers.append({49, 4096});
    HotKeyManager manager(grabber);
    EXPECT_FALSE(manager.registerKey(49, 4096, countPress()));
    EXPECT_FALSE(manager.isRegistered());
    EXPECT_TRUE(log.contains("[hotkey] registered=0 keyCode=49 modifiers=4096"));
    // Unregistering after a failure gives back nothing.
    manager.unregisterKey();
    EXPECT_EQ(grabber.ungrabs, 0);
    // Another combination still works.
    EXPECT_TRUE(manager.registerKey(118, 0, countPress()));
    grabber.press(118, 0);
    EXPECT_EQ(presses, 1);
}

TEST_F(HotKeyManagerTest, DisabledPresetRegistersNothingAndClearsTheAction)
{
    HotKeyManager manager(grabber);
    manager.registerKey(49, 2048, countPress());
    const Settings::HotKeyPreset disabled = Settings::HotKeyPreset::disabled;
    EXPECT_TRUE(manager.registerKey(disabled.keyCode(), disabled.modifiers(), countPress()));
    EXPECT_FALSE(manager.isRegistered());
    EXPECT_FALSE(grabber.grabbed);
    // A press arriving anyway reaches no action.
    grabber.onPress();
    EXPECT_EQ(presses, 0);

    EXPECT_TRUE(manager.registerKey(118, 0, countPress()));
    EXPECT_EQ(grabber.handlerInstalls, 1);
    EXPECT_EQ(*grabber.grabbed, (QPair<quint32, quint32>(118, 0)));
}

TEST_F(HotKeyManagerTest, ReRegistrationLeavesOneKeyAndOneHandler)
{
    HotKeyManager manager(grabber);
    int first = 0;
    manager.registerKey(49, 2048, [&] { ++first; });
    manager.registerKey(49, 768, countPress());
    EXPECT_EQ(grabber.handlerInstalls, 1);
    EXPECT_EQ(grabber.ungrabs, 1);
    EXPECT_EQ(*grabber.grabbed, (QPair<quint32, quint32>(49, 768)));
    grabber.press(49, 768);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(presses, 1);
}

TEST_F(HotKeyManagerTest, UnregisterTwiceUngrabsOnce)
{
    HotKeyManager manager(grabber);
    manager.registerKey(49, 2048, countPress());
    manager.unregisterKey();
    manager.unregisterKey();
    EXPECT_EQ(grabber.ungrabs, 1);
    EXPECT_FALSE(manager.isRegistered());
    EXPECT_TRUE(manager.isHandlerInstalled());
}

TEST_F(HotKeyManagerTest, RefusedHandlerIsInstalledAtTheNextRegistration)
{
    grabber.refuseHandler = true;
    HotKeyManager manager(grabber);
    EXPECT_TRUE(manager.registerKey(49, 2048, countPress()));
    EXPECT_FALSE(manager.isHandlerInstalled());
    grabber.refuseHandler = false;
    manager.registerKey(49, 2048, countPress());
    EXPECT_TRUE(manager.isHandlerInstalled());
    EXPECT_EQ(grabber.handlerInstalls, 2);
    grabber.press(49, 2048);
    EXPECT_EQ(presses, 1);
}

TEST_F(HotKeyManagerTest, ReleaseGivesBackKeyAndHandler)
{
    {
        HotKeyManager manager(grabber);
        manager.registerKey(49, 2048, countPress());
    }
    EXPECT_FALSE(grabber.grabbed);
    EXPECT_EQ(grabber.handlerRemovals, 1);
    EXPECT_FALSE(grabber.onPress);
}

} // namespace
