#pragma once

#include "app/session/launcher_session_test_support.h"
#include "app/shell/manual_timer_scheduler.h"

#include "settings/popup_button.h"
#include "settings/settings_slider.h"
#include "settings/settings_window_controller.h"
#include "settings/toggle_switch.h"
#include "shell/settings_host_adapter.h"

#include "foundation/log.h"
#include "model/memory_user_defaults.h"

#include <QApplication>
#include <QLabel>
#include <QStringList>

#include <memory>
#include <optional>

namespace settings_test {

// A settings window on a real session whose files live in a scratch
// directory, with the delegate's share counted and the modal panels answered
// by the test.
class SettingsWindowTest : public session_test::SessionTest
{
protected:
    void SetUp() override
    {
        SessionTest::SetUp();
        L10n::setForTesting(AppLanguage::en);
        Log::setSink([this](const QString &line) { logLines.append(line); });
    }

    void TearDown() override
    {
        controller.reset();
        host.reset();
        session.reset();
        // Pages released by a rebuild go now, while their session exists.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Log::setSink({});
        SessionTest::TearDown();
    }

    // The session (scanned), its host and the window, in English.
    void open(const QStringList &options = {})
    {
        session = makeSession(options);
        session->start();
        SessionSettingsHost::Delegate share;
        share.hotKeyChanged = [this] { ++hotKeyChanges; };
        share.hotKeyHeldElsewhere = [this] { return hotKeyTaken; };
        share.hotCornerChanged = [this] { ++cornerChanges; };
        share.requestAccessibility = [this] { ++accessibilityRequests; };
        share.inputStatus = [this] { return inputStatus; };
        share.launcherWindow = [this] { return launcherWindow; };
        host = std::make_unique<SessionSettingsHost>(*session, std::move(share));
        SettingsWindowController::Environment environment;
        environment.scheduler = &timers;
        environment.version = version;
        environment.chooseFolder = [this](QWidget *) {
            ++panelRuns;
            return chosenFolder;
        };
        environment.chooseLayoutSource = [this](QWidget *, const QStringList &labels) {
            ++panelRuns;
            offeredSources = labels;
            return chosenSource;
        };
        controller = std::make_unique<SettingsWindowController>(*host, environment);
    }

    template <typename Control>
    Control *control(const char *name) const
    {
        auto *found = controller->window()->findChild<Control *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // The user picks item `index` of a pop-up.
    void choose(const char *popup, int index) const
    {
        PopupButton *button = control<PopupButton>(popup);
        button->setCurrentIndex(index);
        emit button->activated(index);
    }

    // The user drags a slider to `value` and holds it there.
    void dragTo(const char *slider, double value) const
    {
        SettingsSlider *control = this->control<SettingsSlider>(slider);
        control->setSliderDown(true);
        control->setDoubleValue(value);
    }

    // ... and lets it go.
    void release(const char *slider) const { control<SettingsSlider>(slider)->setSliderDown(false); }

    // What a settings field holds now (in memory), as the defaults would store it.
    QString live(const char *field) const
    {
        MemoryUserDefaults scratch;
        session->settings().save(scratch);
        return scratch.object(Settings::key(QString::fromLatin1(field))).value_or(QVariant()).toString();
    }

    QString storedText(const char *field) const { return stored(field).toString(); }

    QString status() const { return controller->statusText(); }

    std::unique_ptr<LauncherSession> session;
    std::unique_ptr<SessionSettingsHost> host;
    std::unique_ptr<SettingsWindowController> controller;
    ManualTimerScheduler timers;
    QString version = QStringLiteral("9.8.7");
    QStringList logLines;
    int hotKeyChanges = 0;
    // Another program holds the hot key of the current preset.
    bool hotKeyTaken = false;
    int cornerChanges = 0;
    int accessibilityRequests = 0;
    int panelRuns = 0;
    std::optional<QString> inputStatus;
    QWidget *launcherWindow = nullptr;
    std::optional<QString> chosenFolder;
    std::optional<int> chosenSource;
    QStringList offeredSources;
};

} // namespace settings_test
