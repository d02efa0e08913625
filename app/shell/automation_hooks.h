#pragma once

#include "localization/app_language.h"
#include "model/settings.h"
#include "policy/input_trigger_event.h"

#include <QString>

#include <functional>

// The command-line hooks that drive the running launcher without a user:
// simulated triggers, the language switch, the readiness wait with its
// "[ready]" line, and the page-input, drop, uninstall-preview and edit-mode
// steps of the launcher view. Each schedule call returns at once; its steps
// run later on the main thread through the scheduler, never blocking it.
class AutomationHooks
{
public:
    // Runs `step` on the main thread after `milliseconds`. Tests pass a
    // scheduler they drive by hand.
    using Scheduler = std::function<void(int milliseconds, std::function<void()> step)>;

    // What the hooks read and call. Every member is read at the moment a step
    // runs; an unset view hook makes its step do nothing.
    struct Host
    {
        std::function<int()> pendingIcons;
        std::function<bool()> wallpaperReady;
        // The start's last steps are done: its log lines are all out.
        std::function<bool()> startFinished;
        std::function<int()> appCount;
        std::function<Settings()> settings;
        std::function<double()> iconSide;
        std::function<bool()> launcherVisible;
        std::function<void()> showLauncher;
        // Seconds of system uptime, the time base of trigger events.
        std::function<double()> uptime;
        std::function<void(const InputTriggerEvent &event)> simulate;
        std::function<void(AppLanguage language)> switchLanguage;

        std::function<void(const QString &input)> simulatePageInput;
        std::function<void(const QString &drop)> simulateDrop;
        std::function<void(const QString &text)> previewUninstall;
        std::function<void()> enterEditMode;
        std::function<void()> simulateOptionKey;
        std::function<void()> releaseOption;
        std::function<void()> previewUninstallFromFirstBadge;
    };

    struct EditModeFlags
    {
        bool editMode = false;
        bool editViaOption = false;
        bool editReleaseOption = false;
        bool editTapFirstBadge = false;
    };

    static constexpr int readinessChecks = 120;
    static constexpr int readinessPollMs = 50;
    static constexpr int triggerDelayMs = 350;
    static constexpr int uninstallPreviewDelayMs = 600;
    static constexpr int languageSwitchDelayMs = 1500;
    static constexpr int badgeTapDelayMs = 700;
    static constexpr int optionReleaseDelayMs = 1500;

    AutomationHooks(Host host, Scheduler scheduler);

    // "--simulate-trigger": 0.35 s later, the word's events go to `simulate`
    // one after the other; an unknown word logs "[trigger] unknown spec=".
    void scheduleSimulatedTrigger(const QString &word);
    // "--simulate-page-input" and "--simulate-drop": readiness wait, show the
    // launcher when hidden, then the view's hook with the text unchanged.
    void schedulePageInput(const QString &input);
    void scheduleDrop(const QString &drop);
    // "--uninstall-preview": 0.6 s later, without waiting for readiness.
    void scheduleUninstallPreview(const QString &text);
    // "--switch-language": parsed now; a text that names no concrete language
    // logs "[language] unknown spec=" and schedules nothing.
    void scheduleLanguageSwitch(const QString &languageName);
    // Always started: readiness wait, then the "[ready]" line.
    void logReadyWhenIconsLoaded();
    // "--edit-mode", "--edit-via-option", "--edit-release-option" (and
    // "--edit-tap-first-badge" with them).
    void scheduleEditMode(const EditModeFlags &flags);

    // Calls `then` once no icon load is pending and the wallpaper is ready,
    // checking at most 120 times 50 ms apart; after that it goes on anyway.
    void waitUntilReady(std::function<void()> then);

    static QString readyLine(int pendingIcons, bool wallpaperReady, int appCount, const Settings &settings,
                             double iconSide);

private:
    void check(int done, std::function<void()> then);
    void showIfHidden();
    void after(int milliseconds, std::function<void()> step);

    Host m_host;
    Scheduler m_scheduler;
};
