#include "automation_hooks.h"

#include "simulated_trigger.h"

#include "foundation/format.h"
#include "foundation/log.h"
#include "localization/l10n.h"

AutomationHooks::AutomationHooks(Host host, Scheduler scheduler)
    : m_host(std::move(host)), m_scheduler(std::move(scheduler))
{
}

void AutomationHooks::after(int milliseconds, std::function<void()> step)
{
    if (m_scheduler)
        m_scheduler(milliseconds, std::move(step));
}

void AutomationHooks::scheduleSimulatedTrigger(const QString &word)
{
    after(triggerDelayMs, [this, word] {
        const double time = m_host.uptime ? m_host.uptime() : 0.0;
        const Settings settings = m_host.settings ? m_host.settings() : Settings();
        const std::optional<QList<InputTriggerEvent>> events = SimulatedTrigger::events(word, time, settings.hotKey);
        if (!events) {
            Log::write("[trigger] unknown spec=%@", word);
            return;
        }
        for (const InputTriggerEvent &event : *events) {
            if (m_host.simulate)
                m_host.simulate(event);
        }
    });
}

void AutomationHooks::showIfHidden()
{
    const bool visible = m_host.launcherVisible && m_host.launcherVisible();
    if (!visible && m_host.showLauncher)
        m_host.showLauncher();
}

void AutomationHooks::schedulePageInput(const QString &input)
{
    after(0, [this, input] {
        waitUntilReady([this, input] {
            showIfHidden();
            if (m_host.simulatePageInput)
                m_host.simulatePageInput(input);
        });
    });
}

void AutomationHooks::scheduleDrop(const QString &drop)
{
    after(0, [this, drop] {
        waitUntilReady([this, drop] {
            showIfHidden();
            if (m_host.simulateDrop)
                m_host.simulateDrop(drop);
        });
    });
}

void AutomationHooks::scheduleUninstallPreview(const QString &text)
{
    after(uninstallPreviewDelayMs, [this, text] {
        if (m_host.previewUninstall)
            m_host.previewUninstall(text);
    });
}

void AutomationHooks::scheduleLanguageSwitch(const QString &languageName)
{
    const std::optional<AppLanguage> language = AppLanguage::parse(languageName);
    if (!language || !language->isConcrete()) {
        Log::write("[language] unknown spec=%@", languageName);
        return;
    }
    const AppLanguage chosen = *language;
    after(languageSwitchDelayMs, [this, chosen] {
        if (m_host.switchLanguage)
            m_host.switchLanguage(chosen);
        Log::write("[language] switched=%@ current=%@", chosen.rawValue(), L10n::current().rawValue());
    });
}

void AutomationHooks::logReadyWhenIconsLoaded()
{
    after(0, [this] {
        waitUntilReady([this] {
            const int pending = m_host.pendingIcons ? m_host.pendingIcons() : 0;
            const bool wallpaper = !m_host.wallpaperReady || m_host.wallpaperReady();
            const int apps = m_host.appCount ? m_host.appCount() : 0;
            const Settings settings = m_host.settings ? m_host.settings() : Settings();
            const double side = m_host.iconSide ? m_host.iconSide() : 0.0;
            Log::writeLine(readyLine(pending, wallpaper, apps, settings, side));
        });
    });
}

void AutomationHooks::scheduleEditMode(const EditModeFlags &flags)
{
    after(0, [this, flags] {
        waitUntilReady([this, flags] {
            showIfHidden();
            const bool viaOption = flags.editViaOption || (flags.editReleaseOption && !flags.editMode);
            if (viaOption) {
                if (m_host.simulateOptionKey)
                    m_host.simulateOptionKey();
            } else if (m_host.enterEditMode) {
                m_host.enterEditMode();
            }
            auto release = [this] {
                if (m_host.releaseOption)
                    m_host.releaseOption();
            };
            if (flags.editTapFirstBadge) {
                after(badgeTapDelayMs, [this, flags, release] {
                    if (m_host.previewUninstallFromFirstBadge)
                        m_host.previewUninstallFromFirstBadge();
                    if (flags.editReleaseOption)
                        after(optionReleaseDelayMs, release);
                });
            } else if (flags.editReleaseOption) {
                after(optionReleaseDelayMs, release);
            }
        });
    });
}

void AutomationHooks::waitUntilReady(std::function<void()> then)
{
    check(0, std::move(then));
}

void AutomationHooks::check(int done, std::function<void()> then)
{
    if (done >= readinessChecks) {
        then();
        return;
    }
    // The backdrop is only asked once no icon is pending.
    const bool iconsPending = m_host.pendingIcons && m_host.pendingIcons() > 0;
    const bool ready = !iconsPending && (!m_host.wallpaperReady || m_host.wallpaperReady()) &&
                       (!m_host.startFinished || m_host.startFinished());
    if (ready) {
        then();
        return;
    }
    after(readinessPollMs, [this, done, then = std::move(then)]() mutable { check(done + 1, std::move(then)); });
}

QString AutomationHooks::readyLine(int pendingIcons, bool wallpaperReady, int appCount, const Settings &settings,
                                   double iconSide)
{
    return formatString(u"[ready] icons=%d wallpaper=%@ apps=%d columns=%d rows=%d sideInset=%.3f iconScale=%.3f "
                        u"iconSide=%.1f",
                        pendingIcons, wallpaperReady, appCount, settings.columns, settings.rows, settings.sideInset,
                        settings.iconScale, iconSide);
}
