#include "launcher_session.h"

#include "foundation/log.h"
#include "localization/l10n.h"
#include "model/app_scanner.h"
#include "model/layout_backup.h"
#include "model/user_defaults.h"

#include <QDir>

#include <algorithm>
#include <cmath>

namespace {

const QString kNativeFolderPrefix = QStringLiteral("native-");

// The same record passed through the settings' constructor, which keeps every
// numeric field inside its range.
Settings clampedToRanges(const Settings &s)
{
    return Settings(s.columns, s.rows, s.dim, s.viewMode, s.hotKey, s.hotCorner, s.showHidden, s.animate, s.showLabels,
                    s.useEventTap, s.enableF4Shortcut, s.pinchGesture, s.hideOnSystemEvents, s.adoptImportGrid,
                    s.sideInset, s.useLaunchpadNames, s.iconScale, s.pureUninstall, s.language);
}

QString knownSourceNames()
{
    QStringList names;
    for (const LayoutSource &source : LayoutSource::allCases())
        names.append(source.rawValue());
    return names.join(QLatin1Char(','));
}

} // namespace

// ---------------------------------------------------------------- environment

LauncherSession::Environment LauncherSession::Environment::system()
{
    Environment env;
    env.userDefaults = nullptr;
    env.processEnvironment = QProcessEnvironment::systemEnvironment();
    env.applicationDirectories = AppScanner::defaultDirectories();
    env.launchpadDatabase = std::nullopt;
    env.launchpad = LaunchpadImporter::Environment::system();
    env.fallbackPath = [](const QString &) { return std::optional<QString>(); };
    env.fileExists = LaunchpadAppMerger::defaultFileExists();
    env.home = LayoutSourceCatalog::defaultHome();
    env.darwinUserDirectory = [] { return LaunchpadImporter::darwinUserDirectory(); };
    env.isReadable = LayoutSourceCatalog::defaultIsReadable();
    env.isDirectory = LayoutSourceCatalog::defaultIsDirectory();
    env.directoryEntries = LayoutSourceCatalog::defaultDirectoryEntries();
    env.temporaryDirectory = LayoutSource::systemTemporaryDirectory();
    // None: every import makes its own, with its own copy of the store and
    // its own time limit.
    env.runner = {};
    env.importer = LayoutSourceImporter::Environment::system();
    return env;
}

// ---------------------------------------------------------------- construction

LauncherSession::LauncherSession(const LaunchOptions &options, Environment environment)
    : m_env(std::move(environment)),
      m_options(options),
      m_store(m_options.effectiveStateDirectory(m_env.processEnvironment))
{
    m_store.removeLeftoverTemporaryFiles();
    m_layout = m_store.load();
    m_settings = Settings::load(userDefaults());
    m_pinned = m_store.loadPinned();
    m_languageOverride = AppLanguage::parse(m_options.language);
    if (m_options.language && !m_languageOverride)
        Log::write("[options] unreadable value option=--language value=%@; ignored", *m_options.language);
    configureLanguage();
    applyCommandLineOverrides();
}

LauncherSession::~LauncherSession() = default;

UserDefaults &LauncherSession::userDefaults() const
{
    return m_env.userDefaults ? *m_env.userDefaults : UserDefaults::standard();
}

void LauncherSession::applyCommandLineOverrides()
{
    // Every override lasts for this run only. The user's own value is kept
    // aside so that it, not the override, is what a later save writes; numbers
    // are held inside the settings' ranges, so that no reader sees a zero or
    // negative grid (a division by zero in the grid geometry) or a size whose
    // page capacity overflows. A value that is not a finite number is ignored.
    Settings wanted = m_settings;
    if (m_options.columns) {
        m_shadowed.columns = m_settings.columns;
        wanted.columns = *m_options.columns;
    }
    if (m_options.rows) {
        m_shadowed.rows = m_settings.rows;
        wanted.rows = *m_options.rows;
    }
    if (m_options.sideInset && std::isfinite(*m_options.sideInset)) {
        m_shadowed.sideInset = m_settings.sideInset;
        wanted.sideInset = *m_options.sideInset;
    }
    if (m_options.iconScale && std::isfinite(*m_options.iconScale)) {
        m_shadowed.iconScale = m_settings.iconScale;
        wanted.iconScale = *m_options.iconScale;
    }
    const Settings clamped = clampedToRanges(wanted);
    m_settings.columns = clamped.columns;
    m_settings.rows = clamped.rows;
    m_settings.sideInset = clamped.sideInset;
    m_settings.iconScale = clamped.iconScale;

    if (m_options.scroll) {
        m_shadowed.viewMode = m_settings.viewMode;
        m_settings.viewMode = Settings::ViewMode::scroll;
    }
    if (m_options.pinchOverride) {
        if (const std::optional<PinchGesture> pinch = PinchGesture::fromRawValue(*m_options.pinchOverride)) {
            m_shadowed.pinchGesture = m_settings.pinchGesture;
            m_settings.pinchGesture = *pinch;
        } else {
            Log::write("[options] unreadable value option=--pinch value=%@; ignored", *m_options.pinchOverride);
        }
    }
    if (m_options.noLaunchpadNames) {
        m_shadowed.useLaunchpadNames = m_settings.useLaunchpadNames;
        m_settings.useLaunchpadNames = false;
    }
}

void LauncherSession::configureLanguage()
{
    L10n::configure(m_languageOverride.value_or(m_settings.language));
}

Settings LauncherSession::persistentSettings() const
{
    Settings stored = m_settings;
    if (m_shadowed.columns)
        stored.columns = *m_shadowed.columns;
    if (m_shadowed.rows)
        stored.rows = *m_shadowed.rows;
    if (m_shadowed.sideInset)
        stored.sideInset = *m_shadowed.sideInset;
    if (m_shadowed.iconScale)
        stored.iconScale = *m_shadowed.iconScale;
    if (m_shadowed.viewMode)
        stored.viewMode = *m_shadowed.viewMode;
    if (m_shadowed.pinchGesture)
        stored.pinchGesture = *m_shadowed.pinchGesture;
    if (m_shadowed.useLaunchpadNames)
        stored.useLaunchpadNames = *m_shadowed.useLaunchpadNames;
    return stored;
}

bool LauncherSession::hasGridOverride() const
{
    return persistentSettings().pageSize() != m_settings.pageSize();
}

// ---------------------------------------------------------------- start-up

void LauncherSession::start()
{
    rescan({});
    importRequested(m_options);
}

void LauncherSession::prefetchScan()
{
    if (m_prefetchedScan)
        return;
    PrefetchedScan prefetch{m_env.applicationDirectories, m_layout.customSources, {}};
    prefetch.apps = std::async(std::launch::async, [directories = prefetch.directories,
                                                    customSources = prefetch.customSources] {
        return AppScanner(directories).scan(customSources);
    });
    m_prefetchedScan = std::move(prefetch);
}

QList<AppItem> LauncherSession::scanApplications()
{
    if (std::optional<PrefetchedScan> prefetch = std::exchange(m_prefetchedScan, std::nullopt)) {
        QList<AppItem> apps = prefetch->apps.get();
        // Folders or sources changed since (an import that brought its own
        // sources) make that reading stale.
        if (prefetch->directories == m_env.applicationDirectories && prefetch->customSources == m_layout.customSources)
            return apps;
    }
    return AppScanner(m_env.applicationDirectories).scan(m_layout.customSources);
}

void LauncherSession::importRequested(const LaunchOptions &options)
{
    if (options.importSource && !LayoutSource::fromRawValue(*options.importSource)) {
        // Another source's reader would misread the file: say so instead.
        Log::write("[import] failed source=%@ reason=unknown source; known: %@", *options.importSource,
                   knownSourceNames());
    } else if (options.importPath) {
        const LayoutSource source =
            LayoutSource::fromRawValue(options.importSource.value_or(QStringLiteral("buhoLaunchpad")))
                .value_or(LayoutSource::buhoLaunchpad);
        importLayout(LayoutSourceRecord(source, *options.importPath, false));
    } else if (options.importSource) {
        const QList<LayoutSourceRecord> records = availableLayoutSources();
        const auto found = std::find_if(records.cbegin(), records.cend(), [&](const LayoutSourceRecord &record) {
            return record.source.rawValue() == *options.importSource;
        });
        if (found != records.cend())
            importLayout(*found);
        else
            Log::write("[import] source=%@ not found on this machine", *options.importSource);
    } else if (options.importNative) {
        importNativeLayout();
    }
}

// ---------------------------------------------------------------- rescan

void LauncherSession::rescan(const QSet<QString> &excludingAppIDs)
{
    const QList<AppItem> scanned = scanApplications();

    // One lookup of the system launcher's database serves both reads.
    const std::optional<QString> database =
        m_env.launchpadDatabase ? m_env.launchpadDatabase : LaunchpadImporter::databasePath(m_env.launchpad);
    const LaunchpadAppCatalog catalog =
        database ? LaunchpadImporter::appCatalog(database, m_env.launchpad) : LaunchpadAppCatalog{};
    const LaunchpadLayout native =
        database ? LaunchpadImporter::nativeLayout(database, m_env.launchpad) : LaunchpadLayout::empty();

    QSet<QString> scannedIDs;
    scannedIDs.reserve(scanned.size());
    for (const AppItem &app : scanned)
        scannedIDs.insert(app.stableID());

    m_apps = LaunchpadAppMerger::merge(scanned, catalog, native.allBundleIDs(), m_settings.useLaunchpadNames,
                                       excludingAppIDs, m_env.fallbackPath, m_env.fileExists);

    QStringList restoredIDs;
    m_appsByID.clear();
    m_appsByID.reserve(m_apps.size());
    for (const AppItem &app : m_apps) {
        m_appsByID.insert(app.stableID(), app);
        if (!scannedIDs.contains(app.stableID()))
            restoredIDs.append(app.bundleID);
    }
    m_searchIndex.setApps(m_apps, m_layout.nameOverrides);

    const QSet<QString> contained = m_layout.containedAppIDs();
    QList<AppItem> placed;
    int missing = 0;
    for (const AppItem &app : m_apps) {
        if (contained.contains(app.stableID()) || m_layout.hiddenIDs.contains(app.stableID()))
            placed.append(app);
        else
            ++missing;
    }
    const QList<LayoutEntry> entries = m_layout.allEntries();
    const bool hasNativeFolder = std::any_of(entries.cbegin(), entries.cend(), [](const LayoutEntry &entry) {
        return entry.folder && entry.folder->id.startsWith(kNativeFolderPrefix);
    });

    bool realigned = missing > 0 && !native.isEmpty() && hasNativeFolder;
    // A realignment rebuilds the pages from the system launcher's layout. That
    // is what keeps an imported arrangement in step as applications arrive, but
    // once the user has arranged things their own way it would throw that work
    // away with every new application; then the newcomers are only added.
    if (realigned && !layoutFollowsNative(native, placed)) {
        realigned = false;
        Log::write("[scan] realign skipped reason=own-arrangement missing=%d", missing);
    }

    const int pageSize = m_settings.pageSize();
    if (realigned)
        m_layout.applyImportedLayout(native, m_apps, pageSize);
    else
        m_layout.reconcile(m_apps, pageSize);

    Log::write("[scan] apps=%d catalog=%d names=%d restored=%d realigned=%d ids=%@", int(m_apps.size()),
               int(catalog.records.size()), m_settings.useLaunchpadNames ? 1 : 0, int(restoredIDs.size()),
               realigned ? 1 : 0, restoredIDs.join(QLatin1Char(',')));

    save();
    notifyChange();
}

bool LauncherSession::layoutFollowsNative(const LaunchpadLayout &native, const QList<AppItem> &placedApps) const
{
    // What a realignment would make of the applications already placed,
    // against what the layout holds for them: equal entries in equal order
    // (folders with their names and members) mean that nothing of the user's
    // own would be lost. Page breaks are not compared: the grid re-flows them.
    const int pageSize = m_settings.pageSize();
    LauncherLayout realigned = m_layout;
    realigned.applyImportedLayout(native, placedApps, pageSize);
    LauncherLayout current = m_layout;
    current.reconcile(placedApps, pageSize);
    return realigned.allEntries() == current.allEntries();
}

// ---------------------------------------------------------------- import

bool LauncherSession::importLayout(const LayoutSourceRecord &record)
{
    const SQLRunner runner = m_env.runner ? m_env.runner : LayoutSourceImporter::systemRunner();
    QString failure;
    const std::optional<LayoutSourceSnapshot> snapshot = LayoutSourceImporter::read(
        record, m_apps, m_settings.pageSize(), runner, std::nullopt, m_env.importer, &failure);
    if (!snapshot || snapshot->isEmpty()) {
        m_lastImportSummary.reset();
        m_lastImportSource.reset();
        m_lastImportDetail.clear();
        Log::write("[import] source=%@ empty or unreadable reason=%@", record.source.rawValue(),
                   failure.isEmpty() ? QStringLiteral("no entry") : failure);
        return false;
    }

    // Every import, whichever command asked for it, replaces the arrangement
    // from here on: the one on disk is kept beside it first. Only here, once
    // there is something to apply, so that a failed or empty import never
    // replaces the backup of an earlier arrangement. Before the grid is
    // adopted, whose save already re-pages the file.
    LayoutBackup::keep(m_store.fileURL());

    if (m_settings.adoptImportGrid && snapshot->grid.columns && snapshot->grid.rows) {
        const int columns = *snapshot->grid.columns;
        const int rows = *snapshot->grid.rows;
        // An adopted grid is the user's choice and is stored, even when it
        // happens to equal a grid given on the command line.
        m_shadowed.columns.reset();
        m_shadowed.rows.reset();
        updateSettings(
            [columns, rows](Settings &settings) {
                settings.columns = columns;
                settings.rows = rows;
            },
            true);
    }

    ImportSummary summary;
    commit([&](LauncherLayout &layout) {
        // The page size as it stands now: the adopted grid's when one was adopted.
        summary = layout.applyImportedLayout(snapshot->layout, m_apps, m_settings.pageSize());
    });

    m_lastImportSummary = summary;
    m_lastImportSource = record.source;
    m_lastImportDetail = snapshot->probeDetail;
    Log::write("[import] pages=%d folders=%d apps=%d names=%@ source=%@ schema=%@ grid=%@", summary.pageCount,
               summary.folderCount, summary.appCount, summary.folderNames.join(QLatin1Char(',')),
               record.source.rawValue(), snapshot->probeDetail,
               snapshot->grid.label().value_or(QStringLiteral("none")));
    return true;
}

QList<LayoutSourceRecord> LauncherSession::availableLayoutSources() const
{
    const std::optional<QString> darwinUserDir =
        m_env.darwinUserDirectory ? m_env.darwinUserDirectory() : std::optional<QString>();
    return LayoutSourceCatalog::discover(m_env.home, darwinUserDir, m_env.isReadable, m_env.isDirectory,
                                         m_env.directoryEntries, m_env.temporaryDirectory);
}

bool LauncherSession::importNativeLayout()
{
    const QList<LayoutSourceRecord> records = availableLayoutSources();
    for (const LayoutSourceRecord &record : records) {
        if (record.source == LayoutSource::systemLaunchpad)
            return importLayout(record);
    }
    m_lastImportSummary.reset();
    return false;
}

void LauncherSession::logAvailableLayoutSources() const
{
    if (!m_options.listSources)
        return;
    const QList<LayoutSourceRecord> records = availableLayoutSources();
    Log::write("[sources] count=%d", int(records.size()));
    for (const LayoutSourceRecord &record : records)
        Log::write("[sources] %@ path=%@", record.source.rawValue(), record.path);
}

void LauncherSession::logLanguageChoice() const
{
    Log::write("[language] startup=%@ preference=%@ override=%@", L10n::current().rawValue(),
               m_settings.language.rawValue(), m_options.language.value_or(QStringLiteral("none")));
}
