#include "settings_host_adapter.h"

#include "session/launcher_session.h"

SessionSettingsHost::SessionSettingsHost(LauncherSession &session, Delegate delegate)
    : m_session(session), m_delegate(std::move(delegate))
{
}

Settings SessionSettingsHost::settings() const
{
    return m_session.settings();
}

void SessionSettingsHost::updateSettings(const SettingsChange &change, bool persist)
{
    m_session.updateSettings(change, persist);
}

void SessionSettingsHost::previewSettings(const SettingsChange &change)
{
    m_session.previewSettings(change);
}

int SessionSettingsHost::appCount() const
{
    return int(m_session.apps().size());
}

QStringList SessionSettingsHost::customSources() const
{
    return m_session.layout().customSources;
}

void SessionSettingsHost::addSource(const QString &path)
{
    m_session.addSource(path);
}

void SessionSettingsHost::removeSource(const QString &path)
{
    m_session.removeSource(path);
}

void SessionSettingsHost::rescan()
{
    m_session.rescan({});
}

void SessionSettingsHost::reorganize()
{
    m_session.reorganize();
}

QString SessionSettingsHost::layoutFilePath() const
{
    return m_session.store().fileURL();
}

QList<LayoutSourceRecord> SessionSettingsHost::availableLayoutSources() const
{
    return m_session.availableLayoutSources();
}

bool SessionSettingsHost::importLayout(const LayoutSourceRecord &record)
{
    return m_session.importLayout(record);
}

bool SessionSettingsHost::importNativeLayout()
{
    return m_session.importNativeLayout();
}

std::optional<ImportSummary> SessionSettingsHost::lastImportSummary() const
{
    return m_session.lastImportSummary();
}

QString SessionSettingsHost::lastImportDetail() const
{
    return m_session.lastImportDetail();
}

void SessionSettingsHost::hotKeyChanged()
{
    if (m_delegate.hotKeyChanged)
        m_delegate.hotKeyChanged();
}

bool SessionSettingsHost::hotKeyHeldElsewhere() const
{
    return m_delegate.hotKeyHeldElsewhere && m_delegate.hotKeyHeldElsewhere();
}

void SessionSettingsHost::hotCornerChanged()
{
    if (m_delegate.hotCornerChanged)
        m_delegate.hotCornerChanged();
}

void SessionSettingsHost::requestAccessibility()
{
    if (m_delegate.requestAccessibility)
        m_delegate.requestAccessibility();
}

std::optional<QString> SessionSettingsHost::inputStatus() const
{
    return m_delegate.inputStatus ? m_delegate.inputStatus() : std::nullopt;
}

QWidget *SessionSettingsHost::launcherWindow() const
{
    return m_delegate.launcherWindow ? m_delegate.launcherWindow() : nullptr;
}
