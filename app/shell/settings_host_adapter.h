#pragma once

#include "settings/settings_host.h"

#include <functional>

class LauncherSession;

// The settings window's host in the running application: the launcher
// session for the model, and what the application delegate contributes for
// the triggers, the input channels and the launcher window.
class SessionSettingsHost : public SettingsHost
{
public:
    // The delegate's share; an unset function does nothing (or reports none).
    struct Delegate
    {
        std::function<void()> hotKeyChanged;
        std::function<bool()> hotKeyHeldElsewhere;
        std::function<void()> hotCornerChanged;
        std::function<void()> requestAccessibility;
        std::function<std::optional<QString>()> inputStatus;
        std::function<QWidget *()> launcherWindow;
    };

    explicit SessionSettingsHost(LauncherSession &session, Delegate delegate = {});

    Settings settings() const override;
    void updateSettings(const SettingsChange &change, bool persist = true) override;
    void previewSettings(const SettingsChange &change) override;
    int appCount() const override;
    QStringList customSources() const override;
    void addSource(const QString &path) override;
    void removeSource(const QString &path) override;
    void rescan() override;
    void reorganize() override;
    QString layoutFilePath() const override;
    QList<LayoutSourceRecord> availableLayoutSources() const override;
    bool importLayout(const LayoutSourceRecord &record) override;
    bool importNativeLayout() override;
    std::optional<ImportSummary> lastImportSummary() const override;
    QString lastImportDetail() const override;
    void hotKeyChanged() override;
    bool hotKeyHeldElsewhere() const override;
    void hotCornerChanged() override;
    void requestAccessibility() override;
    std::optional<QString> inputStatus() const override;
    QWidget *launcherWindow() const override;

private:
    LauncherSession &m_session;
    Delegate m_delegate;
};
