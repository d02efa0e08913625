// The whole road of an uninstall on a scratch home: scan, then the move of the
// bundle and its leftovers through the real Trash.
#include "foundation/property_list.h"
#include "support/temp_env.h"
#include "trash/freedesktop_trash.h"
#include "uninstall/app_residue_scanner.h"
#include "uninstall/local_file_system_access.h"
#include "uninstall/residue_safety.h"
#include "uninstall/uninstall_mover.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QUrl>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sys/mount.h>
#include <unistd.h>

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString originalPathIn(const QString &infoPath)
{
    QFile file(infoPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("Path="))
            return QUrl::fromPercentEncoding(line.mid(5));
    }
    return {};
}

TEST(UninstallToTrash, BundleAndLeftoversGoToTheTrashAndNothingElse)
{
    TempHome home;
    const QString bundle = home.filePath(QStringLiteral("Applications/Example Editor.app"));
    writeFile(bundle + QStringLiteral("/Contents/Info.plist"),
              PropertyList::toXml(QVariantMap{{QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.example.editor")}}));
    const AppItem app(QStringLiteral("com.example.editor"), QStringLiteral("Example Editor"), bundle);
    const AppItem other(QStringLiteral("com.example.editor.pro"), QStringLiteral("Example Editor Pro"),
                        home.filePath(QStringLiteral("Applications/Pro.app")));
    writeFile(home.filePath(QStringLiteral("Library/Preferences/com.example.editor.plist")), "prefs");
    writeFile(home.filePath(QStringLiteral("Library/Caches/Example Editor/cache.db")), "cache");
    writeFile(home.filePath(QStringLiteral("Library/Preferences/com.example.editor.pro.plist")), "pro");
    writeFile(home.filePath(QStringLiteral("Library/Caches/Example Editor Pro/cache.db")), "pro cache");

    LocalFileSystemAccess fs;
    const QList<UninstallResidue> residues = AppResidueScanner(home.path(), fs).scan({app}, {app, other});
    ASSERT_EQ(residues.size(), 2);

    const ResidueSafety safety(home.path(), {app.path, other.path}, {}, fs);
    FreedesktopTrash trash;
    const UninstallReport report =
        UninstallMover(safety, [&trash](const QStringList &paths, const QString &within) {
            return within.isEmpty() ? trash.moveToTrash(paths) : trash.moveToTrashWithin(within, paths);
        }).run({app}, residues);

    EXPECT_FALSE(report.incomplete());
    EXPECT_EQ(report.removedAppIDs(), QSet<QString>{QStringLiteral("com.example.editor")});
    QStringList originals;
    for (const TrashOutcome &outcome : report.appResults() + report.residueResults()) {
        ASSERT_TRUE(outcome.moved) << outcome.path.toStdString() << ": " << outcome.reason.toStdString();
        EXPECT_TRUE(outcome.trashedPath.startsWith(home.filePath(QStringLiteral("data/Trash/files/"))));
        EXPECT_TRUE(QFileInfo::exists(outcome.trashedPath));
        originals.append(originalPathIn(outcome.infoPath));
    }
    EXPECT_EQ(originals, (QStringList{bundle, residues.at(0).path, residues.at(1).path}));
    EXPECT_FALSE(QFileInfo::exists(bundle));
    EXPECT_TRUE(QFileInfo::exists(home.filePath(QStringLiteral("Library/Preferences/com.example.editor.pro.plist"))));
    EXPECT_TRUE(QFileInfo::exists(home.filePath(QStringLiteral("Library/Caches/Example Editor Pro/cache.db"))));
}

AppItem makeBundle(const TempHome &home, const QString &name, const QString &bundleID)
{
    const QString bundle = home.filePath(QStringLiteral("Applications/") + name + QStringLiteral(".app"));
    writeFile(bundle + QStringLiteral("/Contents/Info.plist"),
              PropertyList::toXml(QVariantMap{{QStringLiteral("CFBundleIdentifier"), bundleID}}));
    return AppItem(bundleID, name, bundle);
}

// Scans for `apps` among `installed`, then moves them and every leftover
// found through the real Trash of the home; `beforeLeftoverMove` runs after
// each leftover's last check, right before the Trash is asked for it.
struct Road
{
    QList<UninstallResidue> residues;
    UninstallReport report{{}, {}, {}, {}};
};

Road uninstallThroughTheTrash(const TempHome &home, const QList<AppItem> &apps, const QList<AppItem> &installed,
                              const std::function<void()> &afterScan = {},
                              const std::function<void()> &beforeLeftoverMove = {})
{
    LocalFileSystemAccess fs;
    Road road;
    road.residues = AppResidueScanner(home.path(), fs).scan(apps, installed);
    if (afterScan)
        afterScan();
    QStringList installedPaths;
    for (const AppItem &app : installed)
        installedPaths.append(app.path);
    const ResidueSafety safety(home.path(), installedPaths, {}, fs);
    FreedesktopTrash trash;
    road.report = UninstallMover(safety, [&](const QStringList &paths, const QString &within) {
                      if (within.isEmpty())
                          return trash.moveToTrash(paths);
                      if (beforeLeftoverMove)
                          beforeLeftoverMove();
                      return trash.moveToTrashWithin(within, paths);
                  }).run(apps, road.residues);
    return road;
}

QStringList trashedNames(const TempHome &home)
{
    return QDir(home.filePath(QStringLiteral("data/Trash/files"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden);
}

// A folder that shares the application's name holds another installed
// application's data: only its own entries go.
TEST(UninstallToTrash, AVendorFolderKeepsAnotherApplicationsData)
{
    TempHome home;
    const AppItem acme = makeBundle(home, QStringLiteral("Acme"), QStringLiteral("com.acme.app"));
    const AppItem notes = makeBundle(home, QStringLiteral("Acme Notes"), QStringLiteral("com.acme.notes"));
    const QString vendor = home.filePath(QStringLiteral("Library/Application Support/Acme"));
    writeFile(vendor + QStringLiteral("/Acme Notes/notes.db"), "notes");
    writeFile(vendor + QStringLiteral("/shared.db"), "shared");
    writeFile(vendor + QStringLiteral("/Acme.log"), "log");

    const Road road = uninstallThroughTheTrash(home, {acme}, {acme, notes});
    EXPECT_FALSE(road.report.incomplete());
    EXPECT_FALSE(QFileInfo::exists(acme.path));
    EXPECT_FALSE(QFileInfo::exists(vendor + QStringLiteral("/Acme.log")));
    EXPECT_TRUE(QFileInfo::exists(vendor + QStringLiteral("/Acme Notes/notes.db")));
    EXPECT_TRUE(QFileInfo::exists(vendor + QStringLiteral("/shared.db")));
    EXPECT_EQ(trashedNames(home), (QStringList{QStringLiteral("Acme.app"), QStringLiteral("Acme.log")}));
}

// A file system mounted inside a leftover after the scan: the leftover stays
// with the mount, the report says why, and the mounted files are untouched.
TEST(UninstallToTrash, ALeftoverWithAMountInsideStays)
{
    TempHome home;
    const AppItem foo = makeBundle(home, QStringLiteral("Foo"), QStringLiteral("com.test.foo"));
    const QString leftover = home.filePath(QStringLiteral("Library/Caches/com.test.foo"));
    const QString mountPoint = leftover + QStringLiteral("/sub");
    writeFile(leftover + QStringLiteral("/cache.db"), "cache");
    QDir().mkpath(mountPoint);
    const QString precious = home.filePath(QStringLiteral("precious"));
    writeFile(precious + QStringLiteral("/keep.txt"), "keep");

    bool mounted = false;
    const Road road = uninstallThroughTheTrash(home, {foo}, {foo}, [&] {
        mounted = ::mount(QFile::encodeName(precious).constData(), QFile::encodeName(mountPoint).constData(), nullptr,
                          MS_BIND, nullptr)
                  == 0;
    });
    const int mountError = errno;
    const auto unmount = qScopeGuard([&] {
        if (mounted)
            ::umount2(QFile::encodeName(mountPoint).constData(), MNT_DETACH);
    });
    if (!mounted)
        GTEST_SKIP() << "cannot bind-mount here: " << std::strerror(mountError);

    ASSERT_EQ(road.residues.size(), 1);
    ASSERT_EQ(road.report.residueResults().size(), 1);
    const TrashOutcome &outcome = road.report.residueResults().constFirst();
    EXPECT_FALSE(outcome.moved);
    EXPECT_TRUE(outcome.reason.contains(QStringLiteral("mounted"))) << outcome.reason.toStdString();
    EXPECT_TRUE(road.report.failureLogLines().join(QLatin1Char('\n')).contains(mountPoint));
    EXPECT_TRUE(QFileInfo::exists(leftover + QStringLiteral("/cache.db")));
    EXPECT_TRUE(QFileInfo::exists(mountPoint + QStringLiteral("/keep.txt")));
    EXPECT_EQ(trashedNames(home), QStringList{QStringLiteral("Foo.app")});

    // The Trash refuses it on its own, whatever checks came before.
    const TrashOutcome direct = FreedesktopTrash().moveToTrash({leftover}).constFirst();
    EXPECT_FALSE(direct.moved);
    EXPECT_TRUE(direct.reason.contains(QStringLiteral("mounted"))) << direct.reason.toStdString();
    // And a scan with the mount in place does not offer it.
    LocalFileSystemAccess fs;
    EXPECT_TRUE(AppResidueScanner(home.path(), fs).scan({foo}, {foo}).isEmpty());
    EXPECT_EQ(readFile(precious + QStringLiteral("/keep.txt")), "keep");
}

// A folder above the leftover swapped for a link after the last check: the
// move opens every folder from the Library folder down without following
// links, so nothing from where the link leads moves.
TEST(UninstallToTrash, AFolderSwappedForALinkAfterTheCheckMovesNothingFromOutside)
{
    TempHome home;
    const AppItem editor = makeBundle(home, QStringLiteral("Example Editor"), QStringLiteral("com.example.editor"));
    writeFile(home.filePath(QStringLiteral("Library/Caches/Example Editor/cache.db")), "cache");
    writeFile(home.filePath(QStringLiteral("outside/Example Editor/precious.txt")), "precious");

    const QByteArray caches = QFile::encodeName(home.filePath(QStringLiteral("Library/Caches")));
    const QByteArray moved = QFile::encodeName(home.filePath(QStringLiteral("caches-real")));
    const Road road = uninstallThroughTheTrash(home, {editor}, {editor}, {}, [&] {
        ASSERT_EQ(std::rename(caches.constData(), moved.constData()), 0);
        ASSERT_EQ(::symlink(QFile::encodeName(home.filePath(QStringLiteral("outside"))).constData(), caches.constData()), 0);
    });

    ASSERT_EQ(road.residues.size(), 1);
    ASSERT_EQ(road.report.residueResults().size(), 1);
    EXPECT_FALSE(road.report.residueResults().constFirst().moved);
    EXPECT_EQ(readFile(home.filePath(QStringLiteral("outside/Example Editor/precious.txt"))), "precious");
    EXPECT_TRUE(QFileInfo::exists(home.filePath(QStringLiteral("caches-real/Example Editor/cache.db"))));
    EXPECT_EQ(trashedNames(home), QStringList{QStringLiteral("Example Editor.app")});
}

} // namespace
