#pragma once

#include "foundation/string_enumeration.h"

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

// One kind of importable layout source: the system launcher's database or the
// store of another launcher application. Raw values are the case names.
class LayoutSource : public StringEnumeration<LayoutSource>
{
public:
    enum Value { systemLaunchpad, buhoLaunchpad, launchNext, appGrid, appGridAppStore, launchie, launchMe, launchMeAppStore };
    // Declaration order, which is also the order of discovery (`allCases`).
    static constexpr EnumerationCase<Value> cases[] = {
        {systemLaunchpad, "systemLaunchpad"},
        {buhoLaunchpad, "buhoLaunchpad"},
        {launchNext, "launchNext"},
        {appGrid, "appGrid"},
        {appGridAppStore, "appGridAppStore"},
        {launchie, "launchie"},
        {launchMe, "launchMe"},
        {launchMeAppStore, "launchMeAppStore"},
    };

    constexpr LayoutSource(Value value) : m_value(value) {}
    constexpr operator Value() const { return m_value; }

    // Looked up on every read, so it follows the interface language.
    QString label() const;
    // Preference property lists rather than SQLite files or folders of them.
    bool isPropertyList() const;

    // Bundle identifiers that complete the property-list paths of these
    // launchers. They are not known here; a caller that knows them passes
    // them in, and a source without one has no candidate path.
    struct BundleIdentifiers
    {
        std::optional<QString> launchie;
        std::optional<QString> launchMeAppStore; // the direct edition adds ".Direct"
    };

    // The process's temporary directory (QDir::tempPath()).
    static QString systemTemporaryDirectory();

    // Where this kind keeps its store, in probing order.
    QStringList candidatePaths(const QString &home, const std::optional<QString> &darwinUserDir,
                               const QString &temporaryDirectory = systemTemporaryDirectory(),
                               const BundleIdentifiers &bundleIDs = {}) const;

private:
    Value m_value;
};

// One source found on this machine.
struct LayoutSourceRecord
{
    LayoutSource source = LayoutSource::systemLaunchpad;
    QString path;
    bool isDirectory = false; // discovery never sets it

    LayoutSourceRecord(LayoutSource source, QString path, bool isDirectory = false)
        : source(source), path(std::move(path)), isDirectory(isDirectory)
    {
    }

    // The source's label, " · " and the last component of the path.
    QString label() const;

    friend bool operator==(const LayoutSourceRecord &a, const LayoutSourceRecord &b)
    {
        return a.source == b.source && a.path == b.path && a.isDirectory == b.isDirectory;
    }
};

// Finds the layout sources present for the current user. Every file-system
// access goes through the function arguments.
namespace LayoutSourceCatalog {

using PathTest = std::function<bool(const QString &path)>;
using DirectoryLister = std::function<QStringList(const QString &path)>;

QString defaultHome();
// The path can be read (a file or a directory), as access(R_OK) says.
PathTest defaultIsReadable();
// Something exists at the path and it is a directory.
PathTest defaultIsDirectory();
// The names in a directory; empty when it cannot be listed.
DirectoryLister defaultDirectoryEntries();

// Keeps "db", "data.store" and names ending ".db", ".sqlite", ".sqlite3",
// compared lower-cased.
bool isDatabaseFileName(const QString &name);

QList<LayoutSourceRecord> discover(const QString &home = defaultHome(),
                                   const std::optional<QString> &darwinUserDir = std::nullopt,
                                   const PathTest &isReadable = defaultIsReadable(),
                                   const PathTest &isDirectory = defaultIsDirectory(),
                                   const DirectoryLister &directoryEntries = defaultDirectoryEntries(),
                                   const QString &temporaryDirectory = LayoutSource::systemTemporaryDirectory(),
                                   const LayoutSource::BundleIdentifiers &bundleIDs = {});

} // namespace LayoutSourceCatalog
