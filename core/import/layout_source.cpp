#include "layout_source.h"

#include "launchpad_importer.h"
#include "localization/l10n.h"

#include <QDir>

namespace {

QString joinPath(const QString &base, const QString &relative)
{
    if (base.endsWith(QLatin1Char('/')))
        return base + relative;
    return base + QLatin1Char('/') + relative;
}

// A preference list inside an application's sandbox container.
QString containerPreferences(const QString &bundleID)
{
    return QStringLiteral("Library/Containers/") + bundleID + QStringLiteral("/Data/Library/Preferences/") + bundleID
        + QStringLiteral(".plist");
}

} // namespace

QString LayoutSource::label() const
{
    switch (m_value) {
    case systemLaunchpad:
        return L("系统启动台（旧版 Launchpad）");
    case buhoLaunchpad:
        return QStringLiteral("BuhoLaunchpad");
    case launchNext:
        return QStringLiteral("LaunchNext");
    case appGrid:
        return L("AppGrid（官网版）");
    case appGridAppStore:
        return L("AppGrid（App Store 版）");
    case launchie:
        return QStringLiteral("Launchie");
    case launchMe:
        return L("LaunchMe（官网版）");
    case launchMeAppStore:
        return L("LaunchMe（App Store 版）");
    }
    return rawValue();
}

bool LayoutSource::isPropertyList() const
{
    return m_value == launchie || m_value == launchMe || m_value == launchMeAppStore;
}

QString LayoutSource::systemTemporaryDirectory()
{
    return QDir::tempPath();
}

QStringList LayoutSource::candidatePaths(const QString &home, const std::optional<QString> &darwinUserDir,
                                         const QString &temporaryDirectory, const BundleIdentifiers &bundleIDs) const
{
    auto inHome = [&home](const QString &relative) { return joinPath(home, relative); };
    switch (m_value) {
    case systemLaunchpad:
        return LaunchpadImporter::databaseCandidates(darwinUserDir, temporaryDirectory);
    case buhoLaunchpad:
        return {inHome(QStringLiteral("Library/Application Support/BuhoLaunchpad"))};
    case launchNext:
        return {inHome(QStringLiteral("Library/Application Support/LaunchNext/Data.store"))};
    case appGrid:
        return {inHome(QStringLiteral("Library/Application Support/com.zekalogic.appgrid.app.direct/db")),
                inHome(QStringLiteral("Library/Preferences/com.zekalogic.appgrid.app.direct.plist"))};
    case appGridAppStore:
        return {inHome(QStringLiteral("Library/Containers/com.zekalogic.appgrid.app/Data/Library/Application Support/db")),
                inHome(QStringLiteral("Library/Preferences/com.zekalogic.appgrid.app.plist"))};
    case launchie:
        if (!bundleIDs.launchie || bundleIDs.launchie->isEmpty())
            return {};
        return {inHome(containerPreferences(*bundleIDs.launchie))};
    case launchMe:
        if (!bundleIDs.launchMeAppStore || bundleIDs.launchMeAppStore->isEmpty())
            return {};
        return {inHome(QStringLiteral("Library/Preferences/") + *bundleIDs.launchMeAppStore + QStringLiteral(".Direct.plist"))};
    case launchMeAppStore:
        if (!bundleIDs.launchMeAppStore || bundleIDs.launchMeAppStore->isEmpty())
            return {};
        return {inHome(containerPreferences(*bundleIDs.launchMeAppStore))};
    }
    return {};
}

QString LayoutSourceRecord::label() const
{
    QString name = path;
    while (name.size() > 1 && name.endsWith(QLatin1Char('/')))
        name.chop(1);
    name = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
    return source.label() + QStringLiteral(" · ") + name;
}
