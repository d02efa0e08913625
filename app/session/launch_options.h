#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

// The parsed command line: options that start the launcher in a given state,
// override settings for one run, import a layout, move the state files and fix
// animation progress for inspection. Parsing never fails and prints nothing:
// unknown arguments are ignored, a missing or malformed value leaves the
// field's default, and the first occurrence of a repeated option counts.
//
// Values are stored as given (numbers unclamped), except `folderPage`, which
// is never negative. Whole numbers beyond the range of int saturate.
struct LaunchOptions
{
    bool show = false;                          // "--show"
    bool showSettings = false;                  // "--settings"
    int page = 0;                               // "--page"
    QString search;                             // "--search"
    bool scroll = false;                        // "--scroll"
    bool openFolder = false;                    // "--folder"
    int folderPage = 0;                         // "--folder-page", never negative
    bool dumpWindows = false;                   // "--dump-windows"
    bool noAnimation = false;                   // "--no-animation"
    bool lockPage = false;                      // "--lock-page"
    bool noHover = false;                       // "--no-hover" (accepted, no effect)
    std::optional<double> slideProgress;        // "--slide-progress"
    std::optional<double> dragProgress;         // "--drag-progress"
    std::optional<double> slideDuration;        // "--slide-duration"
    std::optional<int> columns;                 // "--columns"
    std::optional<int> rows;                    // "--rows"
    std::optional<double> sideInset;            // "--side-inset"
    std::optional<double> iconScale;            // "--icon-scale"
    std::optional<QString> stateDirectory;      // "--state-dir"
    bool importNative = false;                  // "--import-native"
    std::optional<QString> importSource;        // "--import-source"
    std::optional<QString> importPath;          // "--import-path"
    bool noEventTap = false;                    // "--no-event-tap"
    std::optional<QString> simulateTrigger;     // "--simulate-trigger"
    bool listSources = false;                   // "--list-sources"
    std::optional<QString> pageInputSimulation; // "--simulate-page-input"
    std::optional<QString> dropSimulation;      // "--simulate-drop"
    std::optional<QString> pinchOverride;       // "--pinch"
    bool noLaunchpadNames = false;              // "--no-launchpad-names"
    std::optional<QString> uninstallPreview;    // "--uninstall-preview"
    bool editMode = false;                      // "--edit-mode"
    bool freezeJiggle = false;                  // "--freeze-jiggle"
    bool editSafeUninstall = false;             // "--edit-safe-uninstall"
    bool editTapFirstBadge = false;             // "--edit-tap-first-badge"
    std::optional<QString> badgeSide;           // "--badge-side"
    bool editViaOption = false;                 // "--edit-via-option"
    bool editReleaseOption = false;             // "--edit-release-option"
    std::optional<QString> language;            // "--language"
    std::optional<int> settingsTab;             // "--settings-tab"
    std::optional<QString> switchLanguage;      // "--switch-language"

    // `arguments` as the process receives them (the first element, the
    // executable, is an ordinary non-option argument and ignored).
    static LaunchOptions parse(const QStringList &arguments);
    // This process's own command line.
    static LaunchOptions parse();

    // What parse() passed over, one text per argument: "unknown option=--x",
    // "unreadable value option=--columns value=abc", "missing value
    // option=--page". Values whose meaning is known only later (a language, a
    // pinch gesture) are checked where they are used.
    static QStringList problems(const QStringList &arguments);

    // "--help" (or "-h") among `arguments`: the process prints usage() and
    // ends, starting nothing and handing nothing to a running launcher.
    static bool wantsHelp(const QStringList &arguments);
    // Every option, one line each: "  --page N   start on page N ...".
    static QString usage();

    // The directory of the state files: "--state-dir" (relative to the current
    // directory; an empty value names the current directory), else a non-empty
    // "APP_STATE_DIR", else nothing (the layout store picks its own). Absolute.
    std::optional<QString> effectiveStateDirectory() const;
    std::optional<QString> effectiveStateDirectory(const QProcessEnvironment &environment) const;

    // A later start hands its command line to the running launcher, which
    // carries out only these options of it: the imports, "--settings" (with
    // "--settings-tab") and "--show"; "--state-dir" found it.
    static bool isHandedOver(const QString &option);
    // `arguments` (the executable first, then the options) as the running
    // launcher is to read them: without the executable, and with the paths
    // of "--import-path" and "--state-dir" made absolute against
    // `currentDirectory`, which the running launcher does not share.
    static QStringList forHandOver(const QStringList &arguments, const QString &currentDirectory);
    // The options (names starting with "--") in `arguments` that a running
    // launcher does not carry out, each once, in order.
    static QStringList notHandedOver(const QStringList &arguments);

    // The value after the first occurrence of `option`: nothing when the option
    // is absent or last, or when the next argument starts with "--" (a missing
    // value never swallows the next option; "-2" is a value).
    static std::optional<QString> value(const QStringList &arguments, const QString &option);
    // An optional sign and ASCII digits, nothing else; within 64 bits.
    static std::optional<qint64> parseInteger(const QString &text);
    // A whole floating-point literal in the C locale (decimal, exponent,
    // hexadecimal, "inf", "nan"), with nothing left over.
    static std::optional<double> parseDouble(const QString &text);

    friend bool operator==(const LaunchOptions &, const LaunchOptions &) = default;
};
