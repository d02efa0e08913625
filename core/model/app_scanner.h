#pragma once

#include "app_item.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <cstddef>
#include <optional>
#include <vector>

// Finds the applications the launcher shows: walks the application folders
// (and the user's extra folders) for ".app" bundles, reads each bundle's
// Contents/Info.plist and keeps ordinary, user-facing applications, one per
// stable identifier. Reads the file system afresh on every scan.
class AppScanner
{
public:
    // The standard application folders, in the order they are walked. An
    // earlier folder wins when two hold the same application. Computed once.
    static const QStringList &defaultDirectories();

    // `directories` replaces the standard folders (tests and benchmarks scan
    // only folders of their own).
    explicit AppScanner(QStringList directories = defaultDirectories());

    // The standard folders this scanner walks before any extra ones.
    const QStringList &directories() const { return m_directories; }

    // The standard folders, then `extraDirectories` in order; the first record
    // found for a stable identifier wins. Records come back in the order found.
    // Never fails: folders that cannot be read contribute nothing.
    QList<AppItem> scan(const QStringList &extraDirectories = {}) const;

    // The bundles directly in `directory` and up to two folder levels below it
    // (`depth` is the level of `directory`, 0 for a scan root). Bundles are
    // never entered, nor are folders named ".*" or "*.framework". Each real
    // folder and bundle counts once, however many symbolic links lead to it
    // (a link back up a folder ends there), and what is reached without a
    // link comes first, so a bundle found both ways keeps its own path.
    QList<QUrl> applications(const QUrl &directory, int depth = 0) const;

    // The record of the bundle at `url`, or nothing when it is not a directory,
    // has no readable Info.plist, or is not an ordinary application.
    std::optional<AppItem> makeItem(const QUrl &url) const;

    // True when a bundle name (without extension) marks a helper, updater,
    // installer and the like, in any letter case, anywhere in the name.
    static bool isHelperName(const QString &name);

    // The bundles of one scan that had no Info.plist, logged together in one
    // line: how many, and the first missingInfoPlistsNamed paths.
    struct MissingInfoPlists;
    static constexpr int missingInfoPlistsNamed = 5;

    // The scan reads Info.plists on up to this many threads, one for every
    // bundlesPerThread bundles found; a small scan stays on the caller's.
    static constexpr size_t maximumScanThreads = 8;
    static constexpr size_t bundlesPerThread = 24;

private:
    struct Walk;
    // What reading one bundle gave: its record, or why it has none to report.
    struct Inspection
    {
        std::optional<AppItem> item;
        bool noInfoPlist = false;
        bool badInfoPlist = false;
    };
    static Inspection inspect(const QString &path);
    static std::vector<Inspection> inspectAll(const QStringList &bundles);
    static void report(const Inspection &inspection, const QString &path, MissingInfoPlists *missing);
    QStringList applicationPaths(const QString &directory, int depth, Walk &walk) const;
    // A bundle without an Info.plist is counted in `missing` when given,
    // else logged on its own.
    std::optional<AppItem> makeItemAtPath(const QString &path, bool knownDirectory,
                                          MissingInfoPlists *missing = nullptr) const;

    QStringList m_directories;
};
