#pragma once

#include "session/launch_options.h"

#include "model/import_summary.h"
#include "import/launchpad_app_merger.h"
#include "import/launchpad_importer.h"
#include "import/layout_source.h"
#include "import/layout_source_importer.h"
#include "import/sql_runner.h"
#include "localization/app_language.h"
#include "model/app_item.h"
#include "model/launcher_layout.h"
#include "model/layout_entry.h"
#include "model/layout_store.h"
#include "model/search_index.h"
#include "model/settings.h"

#include <QHash>
#include <QObject>
#include <QList>
#include <QProcessEnvironment>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <utility>

class UserDefaults;

// The live model of the launcher and the one broker between the model and its
// files: the installed applications, the layout, the settings, the pinned
// list and the last import. Views read it and change it only through its
// operations, which save what they changed and then signal, in a fixed
// order: change in memory, write, settingsChanged (settings changes only),
// then changed. Any number of views connect to the signals for their own
// lifetime. Main thread only; every operation is synchronous.
//
// Grid and other settings overrides from the command line last for this run
// only: they are kept inside the settings' ranges, are never written to the
// user defaults (unless a later change sets that very field), and the layout
// file stays paged by the user's own grid while an override is in force.
class LauncherSession : public QObject
{
    Q_OBJECT

public:
    // Every effect outside the process, each replaceable; system() gives the
    // real ones.
    struct Environment
    {
        // The settings store; null means UserDefaults::standard(). Not owned.
        UserDefaults *userDefaults = nullptr;
        // Read for "APP_STATE_DIR" when the options name no state directory.
        QProcessEnvironment processEnvironment;
        // The application folders scanned before the layout's custom sources.
        QStringList applicationDirectories;
        // The system launcher's database read on every rescan; none: found as
        // the importer finds it (through `launchpad`).
        std::optional<QString> launchpadDatabase;
        LaunchpadImporter::Environment launchpad;
        // Where an application the system launcher lists, but the scan missed,
        // lies (the workspace's lookup by bundle identifier); none by default,
        // as this platform keeps no such registry.
        LaunchpadAppMerger::FallbackPath fallbackPath;
        LaunchpadAppMerger::FileExists fileExists;
        // Discovery of layout sources.
        QString home;
        std::function<std::optional<QString>()> darwinUserDirectory;
        LayoutSourceCatalog::PathTest isReadable;
        LayoutSourceCatalog::PathTest isDirectory;
        LayoutSourceCatalog::DirectoryLister directoryEntries;
        QString temporaryDirectory;
        // Reading a layout source.
        SQLRunner runner;
        LayoutSourceImporter::Environment importer;

        static Environment system();
    };

    using LayoutChange = std::function<void(LauncherLayout &)>;
    using SettingsChange = std::function<void(Settings &)>;

    explicit LauncherSession(const LaunchOptions &options = LaunchOptions::parse(),
                             Environment environment = Environment::system());
    ~LauncherSession() override;

    LauncherSession(const LauncherSession &) = delete;
    LauncherSession &operator=(const LauncherSession &) = delete;

    // --- State (read-only outside the operations) --------------------------------

    const QList<AppItem> &apps() const { return m_apps; }
    const QHash<QString, AppItem> &appsByID() const { return m_appsByID; }
    const LauncherLayout &layout() const { return m_layout; }
    // The settings in force for this run (command-line overrides included).
    const Settings &settings() const { return m_settings; }
    const QStringList &pinned() const { return m_pinned; }
    const std::optional<ImportSummary> &lastImportSummary() const { return m_lastImportSummary; }
    const std::optional<LayoutSource> &lastImportSource() const { return m_lastImportSource; }
    const QString &lastImportDetail() const { return m_lastImportDetail; }
    const LayoutStore &store() const { return m_store; }
    const LaunchOptions &options() const { return m_options; }
    // The settings as the user defaults hold them: the settings in force with
    // every field that a command-line override still shadows put back to the
    // user's own value.
    Settings persistentSettings() const;
    // A "--columns" or "--rows" override is in force and changes the page size.
    bool hasGridOverride() const;


    // --- Start-up, rescan and import ----------------------------------------------

    // The first rescan, then the import the command line asks for.
    void start();
    // Starts reading the application folders on a worker thread, so that the
    // reading overlaps what the start does before start(): the first rescan
    // takes the result, if the folders and custom sources are still the ones
    // it was started with.
    void prefetchScan();
    // The import `options` ask for ("--import-path", "--import-source",
    // "--import-native"), if any: at start-up, or for a later start that
    // handed its command line over.
    void importRequested(const LaunchOptions &options);
    // Scans the application folders and the custom sources, merges the system
    // launcher's catalog, fits the layout to the result, saves, calls onChange.
    void rescan(const QSet<QString> &excludingAppIDs = {});
    // True when a non-empty layout was read and applied; the layout file it
    // replaced is then kept as "layout.previous.json" (LayoutBackup). An
    // empty or unreadable source changes nothing, that backup included.
    bool importLayout(const LayoutSourceRecord &record);
    // The layout sources present for this user, in discovery order.
    QList<LayoutSourceRecord> availableLayoutSources() const;
    bool importNativeLayout();
    // "--list-sources": "[sources] count=%d", then "[sources] %@ path=%@" per
    // source. Writes nothing unless the options ask for it.
    void logAvailableLayoutSources() const;
    // "[language] startup=%@ preference=%@ override=%@".
    void logLanguageChoice() const;

    // --- Changes -------------------------------------------------------------------

    // Writes the layout (result ignored; the store logs a failure).
    void save();
    // Applies `change` to the layout, saves, calls onChange.
    void commit(const LayoutChange &change);
    // Applies `change` to the settings (unclamped), configures the language,
    // writes the defaults when `persist`, re-pages and saves the layout, then
    // calls onSettingsChange and onChange.
    void updateSettings(const SettingsChange &change, bool persist = true);
    // Applies `change` in memory for a look (a slider being dragged):
    // configures the language, re-pages in memory and calls onSettingsChange
    // and onChange, but writes neither the defaults nor the layout. The
    // updateSettings() that follows writes both.
    void previewSettings(const SettingsChange &change);
    // A concrete language: clears the "--language" override and puts the
    // language in force for this run without storing it. `system`: nothing.
    void switchLanguageForAutomation(AppLanguage language);
    // Unpins (every occurrence) or pins at the end; writes the pinned file; onChange.
    void togglePin(const QString &id);
    void reorganize();
    void addSource(const QString &path);
    void removeSource(const QString &path);

    // --- Queries -------------------------------------------------------------------

    // The application of an application entry, when known.
    std::optional<AppItem> appFor(const LayoutEntry &entry) const;
    std::optional<AppItem> app(const QString &id) const;
    // Folder name; the application's display name; an unknown application's id.
    QString titleFor(const LayoutEntry &entry) const;
    bool isHidden(const LayoutEntry &entry) const;
    // The pages as the launcher shows them (hidden applications after the
    // others when they are shown).
    QList<QList<LayoutEntry>> displayPages() const;
    // The top-level entries that match, best first; everything displayed for
    // an empty query.
    QList<LayoutEntry> searchEntries(const QString &query) const;

    // Whether another program holds the settings' hot key, so that pressing
    // it opens nothing here. Not a setting: the shell learns it each time it
    // grabs the key, and whatever names the key as the way in asks first.
    bool hotKeyHeldElsewhere() const { return m_hotKeyHeldElsewhere; }
    void setHotKeyHeldElsewhere(bool held) { m_hotKeyHeldElsewhere = held; }

signals:
    // After every change, once it is saved.
    void changed();
    // After a settings change (updateSettings() only), just before changed().
    void settingsChanged();

private:
    // Values of the user's own settings that a command-line override shadows.
    struct Shadowed
    {
        std::optional<int> columns;
        std::optional<int> rows;
        std::optional<double> sideInset;
        std::optional<double> iconScale;
        std::optional<Settings::ViewMode> viewMode;
        std::optional<PinchGesture> pinchGesture;
        std::optional<bool> useLaunchpadNames;
    };

    UserDefaults &userDefaults() const;
    void applyCommandLineOverrides();
    void configureLanguage();
    // Overrides whose field the change set to another value are dropped: that
    // value is the user's choice from then on.
    void releaseChangedOverrides(const Settings &before);
    void notifyChange();
    // The layout as written to disk: paged by the user's own grid while a
    // grid override is in force.
    LauncherLayout layoutForDisk() const;
    // False when the user has arranged things differently from the system
    // launcher since it was last applied, so a realignment would lose them.
    bool layoutFollowsNative(const LaunchpadLayout &native, const QList<AppItem> &placedApps) const;

    // The applications in the folders and custom sources: the prefetched
    // reading when it was of these, a new one otherwise.
    QList<AppItem> scanApplications();

    // A reading started by prefetchScan() and not taken yet. The future's
    // destructor waits for the worker, so a session ended early leaves no
    // thread reading behind it.
    struct PrefetchedScan
    {
        QStringList directories;
        QStringList customSources;
        std::future<QList<AppItem>> apps;
    };

    Environment m_env;
    std::optional<PrefetchedScan> m_prefetchedScan;
    QList<AppItem> m_apps;
    QHash<QString, AppItem> m_appsByID;
    // Brought up to date with the layout's renames at each search.
    mutable SearchIndex m_searchIndex;
    LaunchOptions m_options;
    LayoutStore m_store;
    LauncherLayout m_layout;
    Settings m_settings;
    QStringList m_pinned;
    std::optional<ImportSummary> m_lastImportSummary;
    std::optional<LayoutSource> m_lastImportSource;
    QString m_lastImportDetail;
    std::optional<AppLanguage> m_languageOverride;
    Shadowed m_shadowed;
    bool m_hotKeyHeldElsewhere = false;
};
